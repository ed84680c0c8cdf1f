#pragma once

namespace zel {

// Closes every window that is still open, running its closing handlers, then
// ends the process with exit code 0. A closing handler may call it again; the
// nested call finishes the work and the outer call never resumes.
[[noreturn]] void endProgram();

} // namespace zel
