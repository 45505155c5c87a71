// A voting library that has the export the library check looks for. Never called.
extern "C" int ipat_call(const char*) { return 0; }
