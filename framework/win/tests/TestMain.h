#pragma once
// The main of every test program fails a test during which a window outlived its object (the
// window base reports it only to the debugger output). A test that makes one on purpose says so.

// One more report of a window outliving its object is expected in the running test.
void ExpectWindowOutlivingItsObject();
