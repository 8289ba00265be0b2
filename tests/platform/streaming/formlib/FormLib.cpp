// The library's only code; its form resource is registered without being referenced.
int TestFormLibVersion() { return 1; }
