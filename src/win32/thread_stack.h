// Memory a thread's stack holds without using it.
#pragma once

namespace velmora {

// Gives back the pages of the calling thread's stack that lie well below where it is now: at
// the start of a thread they hold nothing. Under Wine every new thread finds about 1 MB of its
// stack already touched, which otherwise stays with the process for the thread's life. The
// pages stay committed, so the stack can grow into them again. Call it at a thread's start.
void GiveBackUnusedStack();

}  // namespace velmora
