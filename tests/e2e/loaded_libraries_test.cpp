// What a command-line conversion loads: the dynamic loader's own report.
#include "cli_harness.h"
#include "platform/platform.h"

#include <gtest/gtest.h>

namespace {

TEST(LoadedLibraries, PlainConversionLoadsNoDevil) {
    CliSandbox sandbox;
    WriteBmp24(sandbox.Path("pic.bmp"), TestPattern(17, 5));
    MakeFolders(sandbox.Path("out"));
    const CommandResult run = RunCommand("cd " + ShellQuote(sandbox.work) + " && LD_DEBUG=files " +
                                         sandbox.Command() + " -q -i pic.bmp -o out");
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_NE(run.err.find("libbrelvix-core.so"), std::string::npos) << "no loader report";
    EXPECT_EQ(run.err.find("libIL.so"), std::string::npos);
    EXPECT_EQ(run.err.find("libILU.so"), std::string::npos);
    const RgbImage pcx = DecodeWith("netpbm", sandbox.Path("out/pic.pcx"));
    EXPECT_EQ(pcx.pixels, TestPattern(17, 5).pixels);
}

} // namespace
