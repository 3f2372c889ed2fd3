// Leaks the sanitizer reports in system libraries that the widget tests
// load through Qt (fontconfig keeps its configuration until exit). Our own
// code gets no suppressions.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
