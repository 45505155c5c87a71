// A voting library without the export the library check looks for.
extern "C" int other_call(const char*) { return 0; }
