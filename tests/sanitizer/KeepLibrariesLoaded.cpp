// Linked into every program of the sanitizer build only. The GL libraries unload their driver
// at exit, before LeakSanitizer looks: blocks the driver still points to then show up as leaks
// in an "<unknown module>", which no suppression can name. Keeping every library loaded leaves
// them reachable, and any real leak keeps a module name in its report.
// A definition in the program comes before the C library's, so every dlclose lands here.
extern "C" int dlclose(void*)
{
    return 0;
}
