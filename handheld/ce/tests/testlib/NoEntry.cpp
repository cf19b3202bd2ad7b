// A library of this machine without the layer's entry: no handheld library.
extern "C" int NoEntryFunction() { return 1; }
