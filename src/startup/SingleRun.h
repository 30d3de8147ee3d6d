// One Setup at a time: a second would start the stages again, or copy and
// record beside the first and undo its records at a cancel.
#pragma once

// False when another Setup is running.
bool TakeSingleRun();

// Lets the next Setup run: just before this one starts its second stage,
// which is one itself.
void LetTheNextRun();
