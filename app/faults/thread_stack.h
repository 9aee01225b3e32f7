#pragma once
// Stack kept back on every thread of the process whose stack is large enough
// to spare it (StackGuaranteeFor, fault_rules.h), so that a stack overflow on
// any of them reaches the crash filter: the Document Manager's threads, those
// of the thread pool and of the C runtime as much as the program's own.
//
// A TLS callback of the program's image (KestrumThreadStackCallback, which the
// build links into every program that links kestrum_faults, though nothing
// calls it) runs KeepOverflowStack on the first thread as the process starts and on
// every other thread as it starts, before the thread's own code.

// Gives the calling thread the guarantee of StackGuaranteeFor for its stack
// reserve (SetThreadStackGuarantee, which keeps a larger one already set);
// a thread whose reserve gives up none, or a platform that refuses, leaves
// the thread as it was.
void KeepOverflowStack() noexcept;
