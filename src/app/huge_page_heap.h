#pragma once
// The bulk download and the day load hold hundreds of megabytes of records. On virtual machines a
// page fault costs microseconds, and with 4 KB pages a 90-day download takes about 100,000 of them
// (a third of its time). The C library backs its heap with transparent huge pages when its tunable
// glibc.malloc.hugetlb=1 is set, but it reads that only from the environment at start-up.
namespace vex {

// Called first thing in main(): when GLIBC_TUNABLES does not mention glibc.malloc.hugetlb yet, adds
// it and starts the program again in place (same process, same arguments). Setting the tunable
// yourself (to 0, say, under a debugger or valgrind) skips the restart. Does nothing in sanitizer
// builds, whose allocator ignores the tunable, and carries on unchanged when the restart fails.
void restartWithHugePageHeap(char** argv);

}  // namespace vex
