#include "MidiOut.h"

#include "AlsaQuiet.h"

#include <alsa/asoundlib.h>
#include <cstring>
#include <mutex>

namespace sound {

namespace {

// Output ports of the ALSA sequencer that accept events from others.
class AlsaMidi : public MidiBackend {
public:
    uint32_t device_count() override { return static_cast<uint32_t>(ports().size()); }
    bool device_name(uint32_t device, std::string& name) override {
        const auto p = ports();
        if (device >= p.size()) return false;
        name = p[device].name;
        return true;
    }
    MMRESULT open(uint32_t device, uintptr_t& port) override {
        const auto p = ports();
        if (device >= p.size()) return MMSYSERR_BADDEVICEID;
        auto* o = new Open;
        silence_alsa_messages();
        if (snd_seq_open(&o->seq, "default", SND_SEQ_OPEN_OUTPUT, 0) < 0) {
            delete o;
            return MIDIERR_NODEVICE;
        }
        snd_seq_set_client_name(o->seq, "Tidewick");
        o->port =
            snd_seq_create_simple_port(o->seq, "out", SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ,
                                       SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
        if (o->port < 0 || snd_seq_connect_to(o->seq, o->port, p[device].client, p[device].port) < 0 ||
            snd_midi_event_new(16, &o->encoder) < 0) {
            snd_seq_close(o->seq);
            delete o;
            return MIDIERR_NODEVICE;
        }
        port = reinterpret_cast<uintptr_t>(o);
        return MMSYSERR_NOERROR;
    }
    void send(uintptr_t port, uint32_t message) override {
        auto* o = reinterpret_cast<Open*>(port);
        const uint8_t status = message & 0xFF;
        const size_t len = status >= 0xF0 ? 1 : (status & 0xE0) == 0xC0 ? 2 : 3;
        const uint8_t bytes[3] = {status, uint8_t(message >> 8), uint8_t(message >> 16)};
        snd_seq_event_t ev;
        snd_seq_ev_clear(&ev);
        snd_midi_event_reset_encode(o->encoder);
        if (snd_midi_event_encode(o->encoder, bytes, static_cast<long>(len), &ev) <= 0 ||
            ev.type == SND_SEQ_EVENT_NONE)
            return;
        snd_seq_ev_set_source(&ev, o->port);
        snd_seq_ev_set_subs(&ev);
        snd_seq_ev_set_direct(&ev);
        snd_seq_event_output_direct(o->seq, &ev);
    }
    void close(uintptr_t port) override {
        auto* o = reinterpret_cast<Open*>(port);
        snd_midi_event_free(o->encoder);
        snd_seq_close(o->seq);
        delete o;
    }

private:
    struct Port {
        int client, port;
        std::string name;
    };
    struct Open {
        snd_seq_t* seq = nullptr;
        int port = -1;
        snd_midi_event_t* encoder = nullptr;
    };
    std::vector<Port> ports() {
        std::vector<Port> found;
        silence_alsa_messages();
        snd_seq_t* seq = nullptr;
        if (snd_seq_open(&seq, "default", SND_SEQ_OPEN_OUTPUT, 0) < 0) return found;
        snd_seq_client_info_t* ci;
        snd_seq_port_info_t* pi;
        snd_seq_client_info_alloca(&ci);
        snd_seq_port_info_alloca(&pi);
        snd_seq_client_info_set_client(ci, -1);
        while (snd_seq_query_next_client(seq, ci) >= 0) {
            const int client = snd_seq_client_info_get_client(ci);
            if (client == SND_SEQ_CLIENT_SYSTEM) continue;
            snd_seq_port_info_set_client(pi, client);
            snd_seq_port_info_set_port(pi, -1);
            while (snd_seq_query_next_port(seq, pi) >= 0) {
                const unsigned caps = snd_seq_port_info_get_capability(pi);
                const unsigned need = SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE;
                if ((caps & need) != need || (caps & SND_SEQ_PORT_CAP_NO_EXPORT)) continue;
                found.push_back({client, snd_seq_port_info_get_port(pi), snd_seq_port_info_get_name(pi)});
            }
        }
        snd_seq_close(seq);
        return found;
    }
};

struct Handles {
    std::mutex mutex;
    MidiBackend* backend = nullptr;
    std::map<HMIDIOUT, std::pair<MidiBackend*, uintptr_t>> open;
    HMIDIOUT next = 1;
};

Handles& handles() {
    static Handles h;
    return h;
}

MidiBackend& backend(Handles& h) {
    static AlsaMidi alsa;
    return h.backend ? *h.backend : alsa;
}

// Device numbers arrive as 32-bit values; the mapper's -1 may come sign-extended.
bool is_mapper(uintptr_t device) {
    return static_cast<uint32_t>(device) == MIDI_MAPPER;
}

} // namespace

void SetMidiBackend(MidiBackend* b) {
    Handles& h = handles();
    std::lock_guard g(h.mutex);
    h.backend = b;
}

uint32_t midiOutGetNumDevs() {
    Handles& h = handles();
    std::lock_guard g(h.mutex);
    return backend(h).device_count();
}

MMRESULT midiOutGetDevCapsA(uintptr_t device, MIDIOUTCAPSA* caps, uint32_t size) {
    if (!caps || size < sizeof(MIDIOUTCAPSA)) return MMSYSERR_INVALPARAM;
    Handles& h = handles();
    std::lock_guard g(h.mutex);
    MidiBackend& b = backend(h);
    std::string name;
    if (is_mapper(device)) {
        if (!b.mapper_has_caps()) return MMSYSERR_BADDEVICEID;
        name = "MIDI Mapper";
    } else if (device >= b.device_count() || !b.device_name(static_cast<uint32_t>(device), name)) {
        return MMSYSERR_BADDEVICEID;
    }
    std::memset(caps, 0, sizeof *caps);
    std::strncpy(caps->szPname, name.c_str(), sizeof caps->szPname - 1);
    caps->wTechnology = 1; // a MIDI port
    caps->wChannelMask = 0xFFFF;
    return MMSYSERR_NOERROR;
}

MMRESULT midiOutOpen(HMIDIOUT* handle, uint32_t device, uintptr_t, uintptr_t, uint32_t) {
    if (!handle) return MMSYSERR_INVALPARAM;
    *handle = 0;
    Handles& h = handles();
    std::lock_guard g(h.mutex);
    MidiBackend& b = backend(h);
    const uint32_t target = is_mapper(device) ? 0 : device;
    if (target >= b.device_count()) return is_mapper(device) ? MIDIERR_NODEVICE : MMSYSERR_BADDEVICEID;
    uintptr_t port = 0;
    if (const MMRESULT r = b.open(target, port); r != MMSYSERR_NOERROR) return r;
    *handle = h.next++;
    h.open[*handle] = {&b, port};
    return MMSYSERR_NOERROR;
}

MMRESULT midiOutClose(HMIDIOUT handle) {
    Handles& h = handles();
    std::lock_guard g(h.mutex);
    auto it = h.open.find(handle);
    if (it == h.open.end()) return MMSYSERR_INVALHANDLE;
    it->second.first->close(it->second.second);
    h.open.erase(it);
    return MMSYSERR_NOERROR;
}

MMRESULT midiOutShortMsg(HMIDIOUT handle, uint32_t message) {
    Handles& h = handles();
    std::lock_guard g(h.mutex);
    auto it = h.open.find(handle);
    if (it == h.open.end()) return MMSYSERR_INVALHANDLE;
    it->second.first->send(it->second.second, message);
    return MMSYSERR_NOERROR;
}

MMRESULT midiOutGetErrorTextA(MMRESULT error, char* text, uint32_t size) {
    if (!text || size == 0) return MMSYSERR_INVALPARAM;
    const char* t = nullptr;
    switch (error) {
    case MMSYSERR_NOERROR:
        t = "The specified command was carried out.";
        break;
    case MMSYSERR_ERROR:
        t = "Undefined external error.";
        break;
    case MMSYSERR_BADDEVICEID:
        t = "A device ID has been used that is out of range for your system.";
        break;
    case MMSYSERR_INVALHANDLE:
        t = "The specified device handle is invalid.";
        break;
    case MMSYSERR_NODRIVER:
        t = "There is no driver installed on your system.";
        break;
    case MMSYSERR_NOMEM:
        t = "There is not enough memory available for this task.";
        break;
    case MMSYSERR_INVALPARAM:
        t = "An invalid parameter was passed to a system function.";
        break;
    case MIDIERR_NODEVICE:
        t = "No MIDI output device is present or the MIDI sequencer cannot be reached.";
        break;
    default:
        return MMSYSERR_BADERRNUM;
    }
    std::strncpy(text, t, size - 1);
    text[size - 1] = '\0';
    return MMSYSERR_NOERROR;
}

bool RecordingMidiOut::device_name(uint32_t device, std::string& name) {
    if (device >= names_.size()) return false;
    name = names_[device];
    return true;
}

MMRESULT RecordingMidiOut::open(uint32_t device, uintptr_t& port) {
    if (device >= names_.size()) return MMSYSERR_BADDEVICEID;
    port = next_port_++;
    open_ports[port] = device;
    return MMSYSERR_NOERROR;
}

void RecordingMidiOut::send(uintptr_t port, uint32_t message) {
    sent.push_back({open_ports.at(port), message});
}

void RecordingMidiOut::close(uintptr_t port) {
    open_ports.erase(port);
}

std::vector<std::vector<int>> RecordingMidiOut::triples() const {
    std::vector<std::vector<int>> t;
    for (const auto& s : sent)
        t.push_back({int(s.message & 0xFF), int((s.message >> 8) & 0xFF), int((s.message >> 16) & 0xFF)});
    return t;
}

} // namespace sound
