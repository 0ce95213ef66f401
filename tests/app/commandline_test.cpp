// The command line: the program's own answers to --help and to what it cannot read (the code
// it opens is in links_test.cpp, with the window's other ways of opening a record).
#include "app/commandline.h"

#include "mkb_version.h"

#include <QProcess>
#include <gtest/gtest.h>

TEST(CommandLine, HelpAndErrorsBeforeAnyWindow) {
    QProcess p;
    auto run = [&p](const QStringList& args) {
        p.start(QStringLiteral(MKB10_PROGRAM), args);
        EXPECT_TRUE(p.waitForFinished(10000));
        return p.exitCode();
    };
    EXPECT_EQ(run({QStringLiteral("--help")}), 0);
    EXPECT_TRUE(p.readAllStandardOutput().startsWith("Использование: mkb10 [КОД]\n"));
    EXPECT_EQ(run({QStringLiteral("--version")}), 0);
    EXPECT_EQ(p.readAllStandardOutput(), QByteArray("mkb10 " MKB_VERSION "\n"));
    for (const QStringList& args :
         {QStringList{QStringLiteral("--code=A00")},
          QStringList{QStringLiteral("A00"), QStringLiteral("B00")}, QStringList{QString()}}) {
        EXPECT_EQ(run(args), CommandLineErrorStatus) << qPrintable(args.join(' '));
        EXPECT_TRUE(p.readAllStandardError().startsWith("mkb10: "));
        EXPECT_TRUE(p.readAllStandardOutput().isEmpty());
    }
}
