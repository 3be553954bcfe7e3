#include "PlayPOP.h"

#include "Module_qfn_Globals.h"
#include "PlaySound.h"
#include "VbTrap.h"

void PlayPOP() {
    vb::Trap("PlayPOP of Module Module_Tidewick", [] {
        // No default sound stands in for a missing one: an empty click plays nothing.
        sound::PlaySoundA(g_Click_Sound.empty() ? nullptr : g_Click_Sound.data(), nullptr,
                          sound::SND_ASYNC | sound::SND_NODEFAULT | sound::SND_MEMORY);
    });
}

std::string Click_Sound_Resource() {
    return sound::ClickWave();
}
