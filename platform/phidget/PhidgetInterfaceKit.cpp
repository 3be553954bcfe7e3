#include "PhidgetInterfaceKit.h"

#include "VbError.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMetaObject>
#include <QObject>
#include <array>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <vector>

namespace phidget {

namespace {

const char* kVersion = "Phidget COM Library 2.1.6 - Phidget21 - Version 2.1.6 - Tidewick stand-in: "
                       "no control-box library or hardware on this platform";

struct Box {
    std::mutex mutex;
    bool initialised = false;
    bool plugged = false;
    int32_t serial = 0;
    std::array<bool, StandInBox::kInputs> inputs{};
    std::array<bool, StandInBox::kOutputs> outputs{};
    std::vector<std::weak_ptr<PhidgetInterfaceKit>> kits;
    std::optional<bool> installed;
    std::optional<std::string> version;
};

Box& box() {
    static Box* b = new Box; // kits may outlive static destruction
    return *b;
}

// The first use plugs in the box that TIDEWICK_PHIDGET_BOX names; called under the lock.
void init_locked(Box& b) {
    if (b.initialised) return;
    b.initialised = true;
    if (const char* s = std::getenv("TIDEWICK_PHIDGET_BOX"); s && *s) {
        b.plugged = true;
        b.serial = std::atoi(s);
    }
}

std::vector<std::shared_ptr<PhidgetInterfaceKit>> live_kits(Box& b) {
    std::vector<std::shared_ptr<PhidgetInterfaceKit>> live;
    std::erase_if(b.kits, [](const auto& w) { return w.expired(); });
    for (const auto& w : b.kits)
        if (auto k = w.lock()) live.push_back(k);
    return live;
}

[[noreturn]] void not_attached() {
    vb::Raise(kErrNotAttached, "Phidget not physically attached.", "Phidget21COM");
}

void check_index(int32_t index, int32_t count) {
    if (index < 0 || index >= count) vb::Raise(kErrOutOfBounds, "Index out of bounds.", "Phidget21COM");
}

} // namespace

// ---- library --------------------------------------------------------------

bool LibraryInstalled() {
    Box& b = box();
    std::lock_guard g(b.mutex);
    if (b.installed) return *b.installed;
    const char* v = std::getenv("TIDEWICK_PHIDGET_LIBRARY");
    const std::string s = v ? v : "";
    return s != "absent" && s != "missing";
}

void SetLibraryInstalled(bool installed) {
    Box& b = box();
    std::lock_guard g(b.mutex);
    b.installed = installed;
}

void ResetLibrary() {
    Box& b = box();
    std::lock_guard g(b.mutex);
    b.installed.reset();
    b.version.reset();
}

std::string LibraryVersionText() {
    Box& b = box();
    std::lock_guard g(b.mutex);
    return b.version ? *b.version : kVersion;
}

void SetLibraryVersion(const std::string& text) {
    Box& b = box();
    std::lock_guard g(b.mutex);
    b.version = text;
}

void DeliverEvents() {
    if (QCoreApplication::instance()) QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
}

// ---- kit -------------------------------------------------------------------

PhidgetInterfaceKit::PhidgetInterfaceKit() : receiver_(std::make_unique<QObject>()) {}

PhidgetInterfaceKit::~PhidgetInterfaceKit() = default;

std::shared_ptr<PhidgetInterfaceKit> PhidgetInterfaceKit::Create() {
    if (!LibraryInstalled()) vb::Raise(kErrCantCreate, "ActiveX component can't create object");
    return std::shared_ptr<PhidgetInterfaceKit>(new PhidgetInterfaceKit);
}

std::string PhidgetInterfaceKit::LibraryVersion() const {
    return LibraryVersionText();
}

bool PhidgetInterfaceKit::follows(int32_t serial) const {
    return open_ && (wanted_serial_ <= 0 || wanted_serial_ == serial);
}

void PhidgetInterfaceKit::post(std::function<void(PhidgetInterfaceKit&)> event) {
    std::weak_ptr<PhidgetInterfaceKit> weak = weak_from_this();
    QMetaObject::invokeMethod(
        receiver_.get(),
        [weak, event = std::move(event)] {
            auto kit = weak.lock();
            if (kit && kit->open_) event(*kit);
        },
        Qt::QueuedConnection);
}

void PhidgetInterfaceKit::Open(int32_t serial) {
    Box& b = box();
    bool attach = false;
    {
        std::lock_guard g(b.mutex);
        init_locked(b);
        open_ = true;
        wanted_serial_ = serial;
        bool known = false;
        for (const auto& w : b.kits)
            if (w.lock().get() == this) known = true;
        if (!known) b.kits.push_back(weak_from_this());
        attach = b.plugged && follows(b.serial);
    }
    if (attach)
        post([](PhidgetInterfaceKit& k) {
            if (k.OnAttach) k.OnAttach();
        });
}

void PhidgetInterfaceKit::Close() {
    Box& b = box();
    std::lock_guard g(b.mutex);
    open_ = false;
}

bool PhidgetInterfaceKit::IsAttached() const {
    Box& b = box();
    std::lock_guard g(b.mutex);
    init_locked(b);
    return b.plugged && follows(b.serial);
}

int32_t PhidgetInterfaceKit::SerialNumber() const {
    Box& b = box();
    std::lock_guard g(b.mutex);
    if (!b.plugged || !follows(b.serial)) not_attached();
    return b.serial;
}

std::string PhidgetInterfaceKit::DeviceName() const {
    if (!IsAttached()) not_attached();
    return "Phidget InterfaceKit 8/8/8 (stand-in)";
}

int32_t PhidgetInterfaceKit::InputCount() const {
    if (!IsAttached()) not_attached();
    return StandInBox::kInputs;
}

int32_t PhidgetInterfaceKit::OutputCount() const {
    if (!IsAttached()) not_attached();
    return StandInBox::kOutputs;
}

bool PhidgetInterfaceKit::InputState(int32_t index) const {
    Box& b = box();
    std::lock_guard g(b.mutex);
    if (!b.plugged || !follows(b.serial)) not_attached();
    check_index(index, StandInBox::kInputs);
    return b.inputs[static_cast<size_t>(index)];
}

bool PhidgetInterfaceKit::OutputState(int32_t index) const {
    Box& b = box();
    std::lock_guard g(b.mutex);
    if (!b.plugged || !follows(b.serial)) not_attached();
    check_index(index, StandInBox::kOutputs);
    return b.outputs[static_cast<size_t>(index)];
}

void PhidgetInterfaceKit::OutputState(int32_t index, bool state) {
    {
        Box& b = box();
        std::lock_guard g(b.mutex);
        if (!b.plugged || !follows(b.serial)) not_attached();
        check_index(index, StandInBox::kOutputs);
    }
    StandInBox::set_output(index, state);
}

// ---- the simulated box ------------------------------------------------------

void StandInBox::Plug(int32_t serial) {
    Unplug();
    Box& b = box();
    std::vector<std::shared_ptr<PhidgetInterfaceKit>> kits;
    {
        std::lock_guard g(b.mutex);
        init_locked(b);
        b.plugged = true;
        b.serial = serial;
        for (auto& k : live_kits(b))
            if (k->follows(serial)) kits.push_back(k);
    }
    for (auto& k : kits)
        k->post([](PhidgetInterfaceKit& kit) {
            if (kit.OnAttach) kit.OnAttach();
        });
}

void StandInBox::Unplug() {
    Box& b = box();
    std::vector<std::shared_ptr<PhidgetInterfaceKit>> kits;
    {
        std::lock_guard g(b.mutex);
        init_locked(b);
        if (!b.plugged) return;
        for (auto& k : live_kits(b))
            if (k->follows(b.serial)) kits.push_back(k);
        b.plugged = false;
    }
    for (auto& k : kits)
        k->post([](PhidgetInterfaceKit& kit) {
            if (kit.OnDetach) kit.OnDetach();
        });
}

bool StandInBox::Plugged() {
    Box& b = box();
    std::lock_guard g(b.mutex);
    init_locked(b);
    return b.plugged;
}

void StandInBox::SetInput(int32_t index, bool state) {
    check_index(index, kInputs);
    Box& b = box();
    std::vector<std::shared_ptr<PhidgetInterfaceKit>> kits;
    {
        std::lock_guard g(b.mutex);
        init_locked(b);
        if (b.inputs[static_cast<size_t>(index)] == state) return;
        b.inputs[static_cast<size_t>(index)] = state;
        if (b.plugged)
            for (auto& k : live_kits(b))
                if (k->follows(b.serial)) kits.push_back(k);
    }
    for (auto& k : kits) {
        std::function<void()> then;
        if (k->OnInputChangeAtOnce) then = k->OnInputChangeAtOnce(index, state);
        if (then)
            k->post([then = std::move(then)](PhidgetInterfaceKit&) { then(); });
        else
            k->post([index, state](PhidgetInterfaceKit& kit) {
                if (kit.OnInputChange) kit.OnInputChange(index, state);
            });
    }
}

bool StandInBox::Input(int32_t index) {
    check_index(index, kInputs);
    Box& b = box();
    std::lock_guard g(b.mutex);
    return b.inputs[static_cast<size_t>(index)];
}

bool StandInBox::Output(int32_t index) {
    check_index(index, kOutputs);
    Box& b = box();
    std::lock_guard g(b.mutex);
    return b.outputs[static_cast<size_t>(index)];
}

void StandInBox::set_output(int32_t index, bool state) {
    Box& b = box();
    std::vector<std::shared_ptr<PhidgetInterfaceKit>> kits;
    {
        std::lock_guard g(b.mutex);
        if (b.outputs[static_cast<size_t>(index)] == state) return;
        b.outputs[static_cast<size_t>(index)] = state;
        if (b.plugged)
            for (auto& k : live_kits(b))
                if (k->follows(b.serial)) kits.push_back(k);
    }
    for (auto& k : kits)
        k->post([index, state](PhidgetInterfaceKit& kit) {
            if (kit.OnOutputChange) kit.OnOutputChange(index, state);
        });
}

void StandInBox::Reset() {
    Box& b = box();
    std::lock_guard g(b.mutex);
    b.initialised = true;
    b.plugged = false;
    b.serial = 0;
    b.inputs.fill(false);
    b.outputs.fill(false);
}

} // namespace phidget
