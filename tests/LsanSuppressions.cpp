// Leaks of system libraries that the tests cannot free, left out of the leak checker's report:
// fontconfig keeps its configuration for the life of the process once Qt has laid out any text,
// and D-Bus (asked by Qt for a tray) keeps a buffer it never frees.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libdbus-1.so\n";
}
