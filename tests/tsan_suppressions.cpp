// The toolkit's libraries are not built with ThreadSanitizer: their own locks are invisible to
// it, so the memory they touch on behalf of another thread (an event posted by the worker, the
// toolkit's thread pool) looks raced. Only calls made from inside those libraries and the
// posted event's own header are let through; races in this project's own code are still reported.
extern "C" const char* __tsan_default_suppressions() {
    return "called_from_lib:libQt6Core.so\n"
           "called_from_lib:libQt6Gui.so\n"
           "called_from_lib:libQt6Widgets.so\n"
           "race:QEvent::type\n";
}
