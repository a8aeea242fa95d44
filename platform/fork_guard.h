// Keeps a lock whole across fork(): taken just before the process forks and
// given back just after, in parent and child alike, so a child never starts
// with it held by a thread it does not have.
#pragma once

namespace qormap {

// Calls prepare() before every fork() of this process, then inParent() in the
// parent and inChild() in the child. False when the system refuses; true,
// doing nothing, where processes cannot fork.
bool guardAcrossFork(void (*prepare)(), void (*inParent)(), void (*inChild)());

}  // namespace qormap
