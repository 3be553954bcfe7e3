#pragma once
// MIDI output: the output devices (ALSA sequencer ports that take events),
// opening one, sending short messages and closing it. The mapper (device -1)
// is the first device. Without a sequencer there are no devices and every
// open fails; nothing is raised or printed. Tests install a recording output.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace sound {

using HMIDIOUT = uintptr_t;
using MMRESULT = uint32_t;

inline constexpr uint32_t MIDI_MAPPER = 0xFFFFFFFF; // device -1
inline constexpr MMRESULT MMSYSERR_NOERROR = 0;
inline constexpr MMRESULT MMSYSERR_ERROR = 1;
inline constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
inline constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
inline constexpr MMRESULT MMSYSERR_NODRIVER = 6;
inline constexpr MMRESULT MMSYSERR_NOMEM = 7;
inline constexpr MMRESULT MMSYSERR_BADERRNUM = 9;
inline constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
inline constexpr MMRESULT MIDIERR_NODEVICE = 68;

// The capabilities record: 52 bytes, the product name a fixed field of 32 characters.
struct MIDIOUTCAPSA {
    uint16_t wMid;
    uint16_t wPid;
    uint32_t vDriverVersion;
    char szPname[32];
    uint16_t wTechnology;
    uint16_t wVoices;
    uint16_t wNotes;
    uint16_t wChannelMask;
    uint32_t dwSupport;
};
static_assert(sizeof(MIDIOUTCAPSA) == 52);

uint32_t midiOutGetNumDevs();
// `device` is a device number or MIDI_MAPPER (as -1 sign-extended or not).
MMRESULT midiOutGetDevCapsA(uintptr_t device, MIDIOUTCAPSA* caps, uint32_t size);
// Callback, instance and flags are accepted and unused: no callbacks are made.
MMRESULT midiOutOpen(HMIDIOUT* handle, uint32_t device, uintptr_t callback, uintptr_t instance,
                     uint32_t flags);
MMRESULT midiOutClose(HMIDIOUT handle);
// Bits 0-7 status, 8-15 first data byte, 16-23 second data byte.
MMRESULT midiOutShortMsg(HMIDIOUT handle, uint32_t message);
// The text of a result code into `text` (size characters with the NUL).
MMRESULT midiOutGetErrorTextA(MMRESULT error, char* text, uint32_t size);

// What stands behind the calls above.
class MidiBackend {
public:
    virtual ~MidiBackend() = default;
    virtual uint32_t device_count() = 0;
    virtual bool device_name(uint32_t device, std::string& name) = 0;
    // Whether the mapper answers a capability query (it always maps to device 0).
    virtual bool mapper_has_caps() { return device_count() > 0; }
    // Opens a device; `port` is the backend's own token for it.
    virtual MMRESULT open(uint32_t device, uintptr_t& port) = 0;
    virtual void send(uintptr_t port, uint32_t message) = 0;
    virtual void close(uintptr_t port) = 0;
};
// Installs a backend (not owned); nullptr restores the ALSA sequencer.
void SetMidiBackend(MidiBackend* backend);

// A backend for tests: named devices that keep every message sent to them.
class RecordingMidiOut : public MidiBackend {
public:
    explicit RecordingMidiOut(std::vector<std::string> names = {"Recording MIDI Out"},
                              bool mapper_caps = true)
        : names_(std::move(names)), mapper_caps_(mapper_caps) {}
    uint32_t device_count() override { return static_cast<uint32_t>(names_.size()); }
    bool device_name(uint32_t device, std::string& name) override;
    bool mapper_has_caps() override { return mapper_caps_ && !names_.empty(); }
    MMRESULT open(uint32_t device, uintptr_t& port) override;
    void send(uintptr_t port, uint32_t message) override;
    void close(uintptr_t port) override;

    struct Sent {
        uint32_t device;
        uint32_t message;
    };
    std::vector<Sent> sent;
    // Open devices by port; empty when all are closed.
    std::map<uintptr_t, uint32_t> open_ports;
    // The messages as (status, first, second), for reading tables.
    std::vector<std::vector<int>> triples() const;

private:
    std::vector<std::string> names_;
    bool mapper_caps_;
    uintptr_t next_port_ = 1;
};

} // namespace sound
