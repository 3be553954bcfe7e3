#pragma once
// The control box: an interface kit with digital inputs and outputs, found
// by serial number, that comes and goes (attach, detach) and reports every
// change of an input or output as an event.
//
// No control-box library exists on this platform. This is a stand-in with
// the same object model over a simulated box (StandInBox) that tests, and
// the TIDEWICK_PHIDGET_BOX variable, plug in and drive. Its version text
// carries the version texts of the library the program was built against and
// says what it really is.
//
// Events are raised on the thread that created the kit, when that thread
// next handles its pending events (its Qt event loop, or DeliverEvents()),
// never inside the call that caused them. An input change can also be seen
// at the moment it happens, on the thread that brings it (the box's own):
// OnInputChangeAtOnce.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QObject;

namespace phidget {

// Error numbers raised by the kit (as run-time errors).
inline constexpr int32_t kErrCantCreate = 429; // library not installed
inline constexpr int32_t kErrOutOfBounds =
    static_cast<int32_t>(0x80040204); // index beyond the box's inputs or outputs
inline constexpr int32_t kErrNotAttached = static_cast<int32_t>(0x80040205); // no box attached

class PhidgetInterfaceKit : public std::enable_shared_from_this<PhidgetInterfaceKit> {
public:
    // A new kit object; raises error 429 when the library is not installed.
    static std::shared_ptr<PhidgetInterfaceKit> Create();
    ~PhidgetInterfaceKit();
    PhidgetInterfaceKit(const PhidgetInterfaceKit&) = delete;
    PhidgetInterfaceKit& operator=(const PhidgetInterfaceKit&) = delete;

    std::string LibraryVersion() const;
    // Looks for the box with this serial number (0 or -1: any box); an
    // attach event follows when it is (or later becomes) present.
    void Open(int32_t serial);
    // Stops following the box; no further events.
    void Close();

    bool IsAttached() const;
    // These raise kErrNotAttached while no box is attached.
    int32_t SerialNumber() const;
    std::string DeviceName() const;
    int32_t InputCount() const;
    int32_t OutputCount() const;
    bool InputState(int32_t index) const;
    bool OutputState(int32_t index) const;
    void OutputState(int32_t index, bool state);

    // Event handlers, called on the kit's thread.
    std::function<void()> OnAttach;
    std::function<void()> OnDetach;
    std::function<void(int32_t index, bool state)> OnInputChange;
    std::function<void(int32_t index, bool state)> OnOutputChange;
    // Called at the input change itself, on the thread that brings it, before
    // the event is queued to the kit's thread: for what must be read at that
    // moment and not when the kit's thread gets to the event. It must not
    // block. The work it returns is queued in place of OnInputChange; an
    // empty one leaves OnInputChange as usual. Set it before Open.
    std::function<std::function<void()>(int32_t index, bool state)> OnInputChangeAtOnce;

private:
    PhidgetInterfaceKit();
    friend class StandInBox;
    // Raises an event on the kit's own thread, unless the kit has gone or closed meanwhile.
    void post(std::function<void(PhidgetInterfaceKit&)> event);
    bool follows(int32_t serial) const;

    std::unique_ptr<QObject> receiver_; // lives on the kit's thread; events are queued to it
    std::atomic<bool> open_{false};
    std::atomic<int32_t> wanted_serial_{0};
};

// Whether the library counts as installed: the TIDEWICK_PHIDGET_LIBRARY
// variable ("absent" or "missing": not installed) unless set here.
bool LibraryInstalled();
void SetLibraryInstalled(bool installed);
// Forgets what SetLibraryInstalled and SetLibraryVersion set.
void ResetLibrary();
// The version text kits report (a test may put another one in place).
std::string LibraryVersionText();
void SetLibraryVersion(const std::string& text);

// Raises the pending events of the calling thread's kits.
void DeliverEvents();

// The simulated box: one per process, unplugged until plugged (or until
// TIDEWICK_PHIDGET_BOX names a serial number at the first use). Any thread may
// drive it.
class StandInBox {
public:
    static constexpr int32_t kInputs = 8;
    static constexpr int32_t kOutputs = 8;

    // Plugs a box with this serial number in (a detach comes first if one was in).
    static void Plug(int32_t serial);
    static void Unplug();
    static bool Plugged();
    // Sets an input as the wiring would; an event only when it changes.
    static void SetInput(int32_t index, bool state);
    static bool Input(int32_t index);
    static bool Output(int32_t index);
    // Unplugged with all inputs and outputs off (tests).
    static void Reset();

private:
    friend class PhidgetInterfaceKit;
    static void register_kit(const std::shared_ptr<PhidgetInterfaceKit>& kit);
    static void set_output(int32_t index, bool state);
};

} // namespace phidget
