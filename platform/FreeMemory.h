#pragma once

// Gives the C library's free heap pages back to the system, after a burst that made the heap
// grow has been drained: freed blocks would otherwise stay in the process's resident memory.
void ReturnFreeMemory();
