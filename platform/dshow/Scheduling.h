#pragma once
// The threads a capture wakes for every frame: the graph's streaming threads
// (the layer marks its own as they start) and the thread a client hands the
// samples to. Each sleeps most of the time and then has a short piece of work
// whose delay is the capture's lag. On a busy processor the scheduler lets
// the thread running there finish a slice of its own (3 ms with eight
// processors) before it runs a woken one, unless the woken one asks for
// short slices: it then runs at once and gets no more processor time than
// before, only in shorter pieces.
namespace dshow {

// Asks the scheduler for short slices for the calling thread (Linux 6.12
// and later honour it; elsewhere nothing changes). A thread with a policy
// other than the normal one, or a nice value, keeps it.
void RequestPromptWakeUps();

} // namespace dshow
