// Setup.exe in the 32-bit prefix: the first stage is Setup.exe there, never
// the setup_x64.exe beside it.
#include "setup_runs.h"

TEST(SetupRuns32, FirstStageIsSetupExe) {
  setup_runs::RunSetupRow(
      {.name = "32-bit Windows",
       .script = "DirName1=Stage1\r\nDirName2=Stage2\r\n",
       .args = "/S /V /QN /NR",
       .files = {"Stage1\\Setup.exe=--signal=300", "Stage1\\setup_x64.exe=", "Stage2\\Setup.exe="},
       .started = {"<M>|<M>\\Stage1\\Setup.exe /s /v/qn", "<M>|<M>\\Stage2\\Setup.exe /h /s /nr"},
       .order = {"SIGNAL Stage1\\Setup.exe < START Stage2\\Setup.exe"}});
}
