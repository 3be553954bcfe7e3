// Linked into every test in a ThreadSanitizer build (TIDEWICK_TSAN).
// GLib, GStreamer and Qt are not instrumented and order their own memory with
// futexes and atomics the sanitizer cannot see (Qt's thread pool converts
// and saves images). Suppressed are only what they
// do themselves: their own allocations and copies, races whose racing access
// lies in them, and their own locks. A race where our code makes the access
// is still reported, also on a streaming thread that GStreamer runs.
extern "C" const char* __tsan_default_suppressions() {
    return "called_from_lib:libglib-2.0.so\n"
           "called_from_lib:libgobject-2.0.so\n"
           "called_from_lib:libgstreamer-1.0.so\n"
           "called_from_lib:libgstbase-1.0.so\n"
           "called_from_lib:libgstvideo-1.0.so\n"
           "called_from_lib:libgstaudio-1.0.so\n"
           "called_from_lib:libgstcoreelements.so\n"
           "called_from_lib:libgstvideotestsrc.so\n"
           "called_from_lib:libgstimagefreeze.so\n"
           "called_from_lib:libgstaudiotestsrc.so\n"
           "called_from_lib:libgstvideoconvertscale.so\n"
           "called_from_lib:libgstaudioconvert.so\n"
           "called_from_lib:libgstavi.so\n"
           "called_from_lib:libgstdv.so\n"
           "called_from_lib:libgstjpeg.so\n"
           "called_from_lib:libgstvideo4linux2.so\n"
           "called_from_lib:libgstpulseaudio.so\n"
           "called_from_lib:libgstalsa.so\n"
           "called_from_lib:liborc-0.4.so\n"
           "called_from_lib:libdv.so\n"
           "called_from_lib:libQt6Core.so\n"
           "called_from_lib:libQt6Gui.so\n"
           "called_from_lib:libQt6Widgets.so\n"
           "race_top:libQt6*\n"
           "race_top:libglib*\n"
           "race_top:libgobject*\n"
           "race_top:libgst*\n"
           "race_top:liborc*\n"
           "race_top:libdv*\n"
           "race_top:libQt6*\n"
           "mutex:libglib*\n"
           "mutex:libgobject*\n"
           "mutex:libgst*\n"
           "mutex:libQt6*\n"
           "deadlock:libglib*\n"
           "deadlock:libgobject*\n"
           "deadlock:libgst*\n";
}
