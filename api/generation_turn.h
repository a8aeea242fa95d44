// One map at a time in the process, and a fork served before any map not yet
// begun: fork() waits at most for the map in progress, however busily other
// threads ask for the next.
#pragma once

namespace qormap {

// Held while a map is made; waits for its turn. Throws std::system_error when
// the system refuses a lock.
class GenerationTurn {
public:
    GenerationTurn();
    ~GenerationTurn();
    GenerationTurn(const GenerationTurn&) = delete;
    GenerationTurn& operator=(const GenerationTurn&) = delete;
};

}  // namespace qormap
