#pragma once

// Step 3: copies each face archive that the user lacks from the game's
// installation directory. 1 when all three exist afterwards; 0 after
// posting 102.
int StageFaceArchivesStep();
