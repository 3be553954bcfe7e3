#pragma once
// A small MIDI output player: opens an output device, builds and sends
// channel messages, lists the output devices into a list control. Nothing in
// the program creates one; the program-wide obj_Midi is only cleared at exit.
#include "MidiOut.h"
#include "VbTrap.h"

#include <cstdint>
#include <cstring>
#include <string>

class Cls_audio_play {
public:
    // Unless the program is exiting: opens the MIDI mapper and selects program 66.
    Cls_audio_play();
    // Silences every channel and closes the device.
    ~Cls_audio_play();
    Cls_audio_play(const Cls_audio_play&) = delete;
    Cls_audio_play& operator=(const Cls_audio_play&) = delete;

    void All_sounds_off();
    // Splits a 14-bit value into its two 7-bit halves (high takes bits 7 to 14).
    void Nibblize(int32_t value, int16_t& high, int16_t& low);
    void All_Notes_off(int16_t channel);
    void Bendersub(int16_t channel, int32_t value);
    void control_change(int16_t channel, int16_t controller, int16_t value);
    // `status` is the whole status byte, sent unchanged.
    void midisetrpn(int16_t status, int16_t param_high, int16_t param_low, int16_t data_high,
                    int16_t data_low);
    void note_off(int16_t channel, int16_t note);
    void Note_On(int16_t channel, int16_t note, int16_t velocity);
    void pitch_bend(int16_t channel, int16_t first, int16_t second);
    void program_change(int16_t channel, int16_t bank, int16_t program);
    void reset_controllers();
    // Fills a list control with the output devices: the mapper (item data -1)
    // when it answers, then each numbered device. The list offers Clear(),
    // AddItem(text), NewIndex() and ItemData(index, value).
    template <class List> void midi_listoutdevs(List& list);
    void Midi_Out_Close();
    // Opens a device (-1: the MIDI mapper), closing any open one first.
    bool midi_out_open(int16_t device);
    void midi_outerr(int32_t error);
    void Midi_Outshort(int16_t status, int16_t first, int16_t second);
    // The message word: b0 + b1 * 256 + b2 * 65536; b3 plays no part. b1 * 256
    // is 16-bit arithmetic: a first data byte of 128 or more overflows (error 6).
    int32_t packdword(int16_t b3, int16_t b2, int16_t b1, int16_t b0);
    void All_sound_off();
    void Play_C4();
    void Play_G4();
    void Bend(int16_t percent);

    // The open device, 0 when none.
    sound::HMIDIOUT hMidiOut() const { return m_hMidiOut; }

private:
    sound::HMIDIOUT m_hMidiOut = 0;
};

template <class List> void Cls_audio_play::midi_listoutdevs(List& list) {
    vb::Trap("midi_listoutdevs of Class Module Cls_audio_play", [&] {
        list.Clear();
        sound::MIDIOUTCAPSA caps{};
        if (sound::midiOutGetDevCapsA(sound::MIDI_MAPPER, &caps, sizeof caps) == sound::MMSYSERR_NOERROR) {
            list.AddItem(std::string(caps.szPname, strnlen(caps.szPname, sizeof caps.szPname)));
            list.ItemData(list.NewIndex(), -1);
        }
        const uint32_t count = sound::midiOutGetNumDevs();
        for (uint32_t i = 0; i < count; ++i) {
            if (sound::midiOutGetDevCapsA(i, &caps, sizeof caps) != sound::MMSYSERR_NOERROR) continue;
            list.AddItem(std::string(caps.szPname, strnlen(caps.szPname, sizeof caps.szPname)));
            list.ItemData(list.NewIndex(), static_cast<int32_t>(i));
        }
    });
}
