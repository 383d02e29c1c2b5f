// Linked into every program of the sanitizer builds: libraries loaded at run
// time stay loaded. Mesa unloads its driver and ALSA its plugins before the
// process ends; LeakSanitizer, which reports at the very end, could then
// neither name the library a leak comes from nor match it against its
// suppressions, and ThreadSanitizer ends a process that unloads a library
// its suppressions name.
extern "C" int dlclose(void*)
{
    return 0;
}
