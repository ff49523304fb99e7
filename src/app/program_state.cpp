#include "app/program_state.h"

namespace app {

ProgramState& State() noexcept
{
    static ProgramState state;
    return state;
}

void ReleaseProgramState() noexcept
{
    ProgramState& state = State();
    ReleaseText(state.currentFolderPath);
    ReleaseText(state.lastFileName);
    ReleaseText(state.lastFolderName);
}

}  // namespace app
