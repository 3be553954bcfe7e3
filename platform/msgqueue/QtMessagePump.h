#pragma once
// Attaches the message queue to Qt's event loop: every thread's queue is
// watched by a socket notifier on its wake descriptor, so posted messages are
// delivered whenever that thread runs events (main loop, modal dialogs,
// processEvents), and vb::DoEvents pumps the calling thread's queue too.
// The program's main and the test main call it once, after the application
// object exists.
namespace msgqueue {

void AttachToQtEventLoop();

} // namespace msgqueue
