#include "Cls_audio_play.h"

#include "Dialogs.h"
#include "Module_qfn_Globals.h"
#include "Module_trace.h"
#include "VbConvert.h"
#include "VbError.h"

#include <cmath>

namespace {
constexpr const char* kClass = " of Class Module Cls_audio_play";
std::string at(const char* member) {
    return std::string(member) + kClass;
}
} // namespace

Cls_audio_play::Cls_audio_play() {
    vb::Trap(at("Class_Initialize"), [&] {
        if (g_Exiting) return;
        Trace_String("*Cls_audio_play Initialize");
        Midi_Out_Close();
        midi_out_open(-1);
        program_change(0, 0, 66);
        Trace_String("*Cls_audio_play Initialize end");
    });
}

Cls_audio_play::~Cls_audio_play() {
    // A destructor cannot pass an error on: in the development mode too it is reported here.
    vb::TrapAlways(
        [&] {
            Trace_String("*Cls_audio_play Terminate");
            All_sounds_off();
            Midi_Out_Close();
            Trace_String("*Cls_audio_play Terminate end");
        },
        [](const vb::VbError& e) { vb::ReportError(e, at("Class_Terminate")); });
}

void Cls_audio_play::All_sounds_off() {
    vb::Trap(at("All_sounds_off"), [&] {
        for (int16_t c = 0; c <= 15; ++c) {
            Midi_Outshort(static_cast<int16_t>(0xB0 + c), 120, 0);
            Midi_Outshort(static_cast<int16_t>(0xB0 + c), 123, 0);
        }
    });
}

void Cls_audio_play::Nibblize(int32_t value, int16_t& high, int16_t& low) {
    low = static_cast<int16_t>(value & 127);
    high = static_cast<int16_t>((value & 0x7F80) / 128);
}

void Cls_audio_play::All_Notes_off(int16_t channel) {
    vb::Trap(at("All_Notes_off"), [&] { Midi_Outshort(static_cast<int16_t>(0xB0 + channel), 120, 0); });
}

void Cls_audio_play::Bendersub(int16_t channel, int32_t value) {
    vb::Trap(at("Bendersub"), [&] {
        int16_t high = 0, low = 0;
        Nibblize(value, high, low);
        Midi_Outshort(static_cast<int16_t>(0xE0 + channel), low, high);
    });
}

void Cls_audio_play::control_change(int16_t channel, int16_t controller, int16_t value) {
    vb::Trap(at("control_change"),
             [&] { Midi_Outshort(static_cast<int16_t>(0xB0 + channel), controller, value); });
}

void Cls_audio_play::midisetrpn(int16_t status, int16_t param_high, int16_t param_low, int16_t data_high,
                                int16_t data_low) {
    vb::Trap(at("midisetrpn"), [&] {
        Midi_Outshort(status, 101, param_high);
        Midi_Outshort(status, 100, param_low);
        Midi_Outshort(status, 6, data_high);
        Midi_Outshort(status, 38, data_low);
    });
}

void Cls_audio_play::note_off(int16_t channel, int16_t note) {
    vb::Trap(at("note_off"), [&] { Midi_Outshort(static_cast<int16_t>(0x90 + channel), note, 0); });
}

void Cls_audio_play::Note_On(int16_t channel, int16_t note, int16_t velocity) {
    vb::Trap(at("Note_On"), [&] { Midi_Outshort(static_cast<int16_t>(0x90 + channel), note, velocity); });
}

void Cls_audio_play::pitch_bend(int16_t channel, int16_t first, int16_t second) {
    vb::Trap(at("pitch_bend"), [&] { Midi_Outshort(static_cast<int16_t>(0xE0 + channel), first, second); });
}

void Cls_audio_play::program_change(int16_t channel, int16_t bank, int16_t program) {
    vb::Trap(at("program_change"), [&] {
        control_change(channel, 0, bank);
        Midi_Outshort(static_cast<int16_t>(0xC0 + channel), program, 0);
    });
}

void Cls_audio_play::reset_controllers() {
    vb::Trap(at("reset_controllers"), [&] {
        for (int16_t c = 0; c <= 15; ++c)
            Midi_Outshort(static_cast<int16_t>(0xB0 + c), 121, 0);
    });
}

void Cls_audio_play::Midi_Out_Close() {
    vb::Trap("midi_out_close of Class Module Cls_audio_play", [&] {
        Trace_String("*Midi_Out_Close");
        if (m_hMidiOut != 0) {
            sound::midiOutClose(m_hMidiOut);
            m_hMidiOut = 0;
        }
        Trace_String("*Midi_Out_Close End");
    });
}

bool Cls_audio_play::midi_out_open(int16_t device) {
    bool opened = false;
    vb::Trap(at("midi_out_open"), [&] {
        Midi_Out_Close();
        sound::midiOutOpen(&m_hMidiOut, static_cast<uint32_t>(static_cast<int32_t>(device)), 0, 0, 0);
        opened = m_hMidiOut != 0;
    });
    return opened;
}

void Cls_audio_play::midi_outerr(int32_t error) {
    vb::Trap(at("midi_outerr"), [&] {
        char text[128] = {};
        sound::midiOutGetErrorTextA(static_cast<sound::MMRESULT>(error), text, sizeof text);
        forms::MsgBox(text, forms::vbOKOnly);
    });
}

void Cls_audio_play::Midi_Outshort(int16_t status, int16_t first, int16_t second) {
    vb::Trap(at("Midi_Outshort"), [&] {
        const int32_t word = packdword(0, second, first, status);
        sound::midiOutShortMsg(m_hMidiOut, static_cast<uint32_t>(word));
    });
}

int32_t Cls_audio_play::packdword(int16_t, int16_t b2, int16_t b1, int16_t b0) {
    // Integer arithmetic of 16 bits up to the 65536, which widens the sum.
    const int32_t times256 = int32_t(b1) * 256;
    if (times256 > INT16_MAX || times256 < INT16_MIN) vb::Raise(vb::errOverflow);
    const int32_t low = int32_t(b0) + times256;
    if (low > INT16_MAX || low < INT16_MIN) vb::Raise(vb::errOverflow);
    return low + int32_t(b2) * 65536;
}

void Cls_audio_play::All_sound_off() {
    vb::Trap(at("All_sound_off"), [&] { All_sounds_off(); });
}

void Cls_audio_play::Play_C4() {
    vb::Trap(at("Play_C4"), [&] { Note_On(0, 60, 127); });
}

void Cls_audio_play::Play_G4() {
    vb::Trap(at("Play_G4"), [&] { Note_On(0, 67, 127); });
}

void Cls_audio_play::Bend(int16_t percent) {
    vb::TrapAlways(
        [&] {
            float value = static_cast<float>(percent) / 100.0f * 16000.0f;
            if (value > 16000.0f) value = 16000.0f;
            // Below 0 the halves would leave the 7-bit range and set a data byte's top bit.
            if (value < 0.0f) value = 0.0f;
            Bendersub(0, vb::CLng(value));
        },
        [](const vb::VbError& e) { vb::ReportError(e, "Bend of Class Module Cls_audio"); });
}
