// mk843nb-cli-media: runs page and tones chart for mk843nb-cli, with the same
// arguments, loading the sound and drawing libraries only they need.

#include "cli/cli_run.h"

int main(int argc, char** argv) {
    using namespace mk843nb::cli;
    return RunCli(argc, argv, {RegisterTonesCommand, RegisterPageCommand});
}
