// A cabinet builder for the build tests that accepts the command line and
// writes nothing, as a builder does that rejects its script.
int main() { return 0; }
