// "Run as administrator" from a standard account asks for an administrator's
// password and runs the program as that administrator: with the
// administrator's registry (where the game is not registered, or registered
// for the administrator) and documents folder (where the player's game
// never looks). The installer needs no rights beyond the player's own.
#pragma once

// Step 1, before the registry is read or anything is written: when the
// process runs elevated as a user other than the one signed in to its
// desktop, posts kErrorElevatedAsAnotherUser and returns 0. Elevated as that
// user (an administrator's own "Run as administrator"), not elevated, or
// where either user cannot be told, it returns 1: an unknown never stops a
// player.
int CheckProcessUserStep();
