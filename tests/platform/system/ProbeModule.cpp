// A module with one known export, to find by bare name.
extern "C" __attribute__((visibility("default"))) int ProbeValue() { return PROBE_VALUE; }
