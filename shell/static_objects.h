#pragma once

// The program's static construction: the five application records, in the order 7, 9,
// 6, 1, 2, with the two timer slots built between 1 and 2. Every other process-wide
// state is set back to its initial value first, so that tests and remote-sim can start
// the utility many times in one process, each time on a new desktop.
void ConstructStaticObjects();
