// Builds the study database from the bank's JSON sources, or a large synthetic bank, and writes
// upgrade files:
//   mkbank --sources DIR --out FILE [--complete] [--papers N]
//   mkbank --synthetic COUNT --out FILE
//   mkbank --upgrade DIR --base DIR --out FILE [--complete] [--papers N]
//   mkbank --synthetic-upgrade COUNT --out FILE
#include "data/BankBuilder.h"
#include "data/UpgradeBuilder.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(u"Builds the study database and upgrade files."_s);
    parser.addHelpOption();
    const QCommandLineOption sources(u"sources"_s, u"Folder of the JSON sources."_s, u"dir"_s);
    const QCommandLineOption synthetic(u"synthetic"_s, u"Build a synthetic bank of N questions."_s,
                                       u"n"_s);
    const QCommandLineOption upgrade(
        u"upgrade"_s, u"Write an upgrade file from the JSON sources in dir."_s, u"dir"_s);
    const QCommandLineOption base(
        u"base"_s, u"Folder of the bank's JSON sources (with --upgrade)."_s, u"dir"_s);
    const QCommandLineOption syntheticUpgrade(
        u"synthetic-upgrade"_s, u"Write an upgrade of N questions for the synthetic bank."_s,
        u"n"_s);
    const QCommandLineOption out(u"out"_s, u"Database file to write."_s, u"file"_s);
    const QCommandLineOption complete(u"complete"_s,
                                      u"Refuse a question without explanation or exam point."_s);
    const QCommandLineOption papers(
        u"papers"_s, u"Refuse a bank that cannot fill N different papers of every kind."_s, u"n"_s);
    parser.addOptions({sources, synthetic, upgrade, base, syntheticUpgrade, out, complete, papers});
    parser.process(app);
    const int modes = int(parser.isSet(sources)) + int(parser.isSet(synthetic)) +
                      int(parser.isSet(upgrade)) + int(parser.isSet(syntheticUpgrade));
    if (!parser.isSet(out) || modes != 1 || parser.isSet(upgrade) != parser.isSet(base))
        parser.showHelp(2);

    BankBuilder::Options options;
    options.complete = parser.isSet(complete);
    if (parser.isSet(papers)) {
        bool ok = false;
        options.papers = parser.value(papers).toInt(&ok);
        if (!ok || options.papers < 1) {
            std::fprintf(stderr, "mkbank: --papers takes a whole number of at least 1\n");
            return 2;
        }
    }
    QString error;
    bool ok = false;
    if (parser.isSet(sources))
        ok = BankBuilder::build(parser.value(sources), parser.value(out), &error, options);
    else if (parser.isSet(synthetic))
        ok =
            BankBuilder::buildSynthetic(parser.value(synthetic).toInt(), parser.value(out), &error);
    else if (parser.isSet(upgrade))
        ok = UpgradeBuilder::build(parser.value(base), parser.value(upgrade), parser.value(out),
                                   &error, options);
    else
        ok = UpgradeBuilder::buildSynthetic(parser.value(syntheticUpgrade).toInt(),
                                            parser.value(out), &error);
    if (!ok) {
        std::fprintf(stderr, "mkbank: %s\n", error.toUtf8().constData());
        return 1;
    }
    return 0;
}
