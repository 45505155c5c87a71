// A voting library that has the export the library check looks for. It is never called.
extern "C" __declspec(dllexport) int ipat_call() { return 0; }
