// The command line: the program's own answers to --help and to what it cannot read, and the
// code it opens in the real window.
#include "app/commandline.h"
#include "app/mainform.h"
#include "browser/records.h"
#include "tests/browser/store_support.h"

#include <QProcess>
#include <QStatusBar>
#include <gtest/gtest.h>

TEST(CommandLine, HelpAndErrorsBeforeAnyWindow) {
    auto run = [](const QStringList& args, QString& out, QString& err) {
        QProcess p;
        p.start(QStringLiteral(MKB10_PROGRAM), args);
        EXPECT_TRUE(p.waitForFinished(10000));
        out = QString::fromUtf8(p.readAllStandardOutput());
        err = QString::fromUtf8(p.readAllStandardError());
        return p.exitCode();
    };
    QString out, err;
    EXPECT_EQ(run({QStringLiteral("--help")}, out, err), 0);
    EXPECT_TRUE(out.startsWith(QStringLiteral("Использование: mkb10 [КОД]\n")));
    for (const QStringList& args :
         {QStringList{QStringLiteral("--code=A00")},
          QStringList{QStringLiteral("A00"), QStringLiteral("B00")}, QStringList{QString()}}) {
        EXPECT_EQ(run(args, out, err), CommandLineErrorStatus) << qPrintable(args.join(' '));
        EXPECT_TRUE(err.startsWith(QStringLiteral("mkb10: "))) << qPrintable(err);
        EXPECT_TRUE(out.isEmpty());
    }
    EXPECT_EQ(ParseCommandLine({"-h"}).Action, TCommandLine::clHelp);
    EXPECT_EQ(ParseCommandLine({"j101"}).Code, "j101");
    EXPECT_EQ(ParseCommandLine({}).Action, TCommandLine::clRun);
}

TEST(CommandLine, TheCodeOpensItsRecordOrTheStatusBarSaysItIsUnknown) {
    ForgetChildCounts(MKBStore());
    TfrmMainForm form;
    form.FormCreate();
    form.show();
    for (std::u16string_view code : {u"J10.1", u"j101", u"J10,1"}) {
        form.OpenCode(std::u16string(code));
        EXPECT_EQ(RecordCodeText(MKBRecs[form.Browser().ShownRecord()]), u"J10.1");
    }
    form.OpenCode(u"с00.0"); // a Cyrillic «с»
    EXPECT_EQ(RecordCodeText(MKBRecs[form.Browser().ShownRecord()]), u"C00.0");
    EXPECT_TRUE(form.statusBar()->currentMessage().isEmpty());
    form.OpenCode(u"Z99.99");
    EXPECT_EQ(RecordCodeText(MKBRecs[form.Browser().ShownRecord()]), u"C00.0");
    EXPECT_EQ(form.statusBar()->currentMessage(),
              QStringLiteral("Код «Z99.99» не найден в классификации"));
}
