// Builds the study database from the bank's JSON sources, or a large synthetic bank:
//   mkbank --sources DIR --out FILE
//   mkbank --synthetic COUNT --out FILE
#include "data/bankbuilder.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(u"Builds the study database."_s);
    parser.addHelpOption();
    const QCommandLineOption sources(u"sources"_s, u"Folder of the JSON sources."_s, u"dir"_s);
    const QCommandLineOption synthetic(u"synthetic"_s, u"Build a synthetic bank of N questions."_s,
                                       u"n"_s);
    const QCommandLineOption out(u"out"_s, u"Database file to write."_s, u"file"_s);
    parser.addOptions({sources, synthetic, out});
    parser.process(app);
    if (!parser.isSet(out) || parser.isSet(sources) == parser.isSet(synthetic))
        parser.showHelp(2);

    QString error;
    const bool ok = parser.isSet(sources)
                        ? BankBuilder::build(parser.value(sources), parser.value(out), &error)
                        : BankBuilder::buildSynthetic(parser.value(synthetic).toInt(),
                                                      parser.value(out), &error);
    if (!ok) {
        std::fprintf(stderr, "mkbank: %s\n", error.toUtf8().constData());
        return 1;
    }
    return 0;
}
