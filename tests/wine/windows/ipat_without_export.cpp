// A voting library that loads but lacks the export the library check looks for.
extern "C" __declspec(dllexport) int ipat_other() { return 0; }
