#pragma once

// Step 3: copies each face archive that the user lacks from the game's
// installation directory. 1 when all three exist afterwards; 0 after
// posting 102, or the code of a cause that lies in the documents folder
// (a write refused: 106; a file where GRP or a folder above it must be: 109).
int StageFaceArchivesStep();
