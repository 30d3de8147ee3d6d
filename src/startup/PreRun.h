#pragma once

// Starts the programs of section "PreRun Programs" in order, waiting for
// those whose third field is "1".
void RunPreRunPrograms();
