#pragma once
// Memory aids of this test program (speicher_test.cpp replaces its operator new and delete).
//
// Running out: the n-th allocation by operator new on this thread from now on throws
// std::bad_alloc, so that an operation can be run out of memory at each of its allocations in
// turn. Measuring: the most bytes the heap held (malloc's, Qt's included) above what it held
// at the start, where the address sanitizer tells every allocation; other builds cannot.
#include <cstddef>

namespace Speicher {

// The n-th operator new of this thread from now on fails (n = 0: the next); once.
void FehlerBei(long n);
// No failure any more; true when the one asked for came.
bool FehlerAus();

bool SpitzeMessbar();
// From now on: the most bytes held above those held now.
void SpitzeAnfangen();
size_t Spitze();

}  // namespace Speicher
