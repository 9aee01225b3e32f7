/* The code part of the fixture libraries, which carry only resources. */
int kestrum_fixture_library;
