#pragma once

namespace zel {

// Every action a key triggers happens once per press, however long the key
// is held: a held key's repeats never press a button, a link or a message
// box's button, and never trigger a shortcut (a menu command, an access
// key). They still type where typing is what the key does: Space into a
// field that takes spaces, Return, Enter and Space into a multi-line field,
// and any other key. Installed once for the whole application.
void pressOncePerHold();

} // namespace zel
