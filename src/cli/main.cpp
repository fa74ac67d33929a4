#include "cli/cli_run.h"

int main(int argc, char** argv) {
    using namespace mk843nb::cli;
    return RunCli(argc, argv,
                  {
                      RegisterNewCommand,
                      RegisterShowCommand,
                      RegisterSetCommand,
                      RegisterPortsCommand,
                      RegisterReadCommand,
                      RegisterWriteCommand,
                      RegisterVerifyCommand,
                      RegisterDiffCommand,
                      RegisterBackupsCommand,
                      RegisterFleetCommand,
                      RegisterHistoryCommand,
                      RegisterIdentifyCommand,
                      RegisterInventoryCommand,
                      RegisterTonesCommand,
                      RegisterPageCommand,
                  });
}
