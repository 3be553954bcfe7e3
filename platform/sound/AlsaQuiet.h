#pragma once
// ALSA prints its own complaints to stderr (no card, no sequencer); the
// program reports what it needs to itself, so they are silenced once.
namespace sound {
void silence_alsa_messages();
}
