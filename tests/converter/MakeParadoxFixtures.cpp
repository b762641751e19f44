// make_paradox_fixtures DIR: writes the committed Paradox fixtures into DIR/paradox and DIR/legacy.
// Run it again only to change them (tests/fixtures is the folder they are committed in).
// make_paradox_fixtures --generated SONGS ENTRIES DIR: a generated previous-edition folder of that
// many songs and playlist entries in DIR, for trying the converter's window on a long conversion.
#include <QCoreApplication>
#include <QDir>
#include <cstdio>
#include <exception>

#include "Fixtures.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 5 && QString(argv[1]) == "--generated") {
        try {
            sw::test::WriteGeneratedLegacyFolder(QString::fromLocal8Bit(argv[4]), QString(argv[2]).toInt(),
                                                 QString(argv[3]).toInt());
        } catch (const std::exception& error) {
            std::fprintf(stderr, "make_paradox_fixtures: %s\n", error.what());
            return 1;
        }
        return 0;
    }
    if (argc != 2 || QString(argv[1]).startsWith("-")) {
        std::fputs("usage: make_paradox_fixtures DIR | --generated SONGS ENTRIES DIR\n", stderr);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    try {
        for (const sw::test::ReaderFixture& fixture : sw::test::ReaderFixtures()) {
            sw::test::WriteTable(folder + "/paradox/" + fixture.file, fixture.layout);
        }
        sw::test::WriteLegacyFolder(folder + "/legacy");
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make_paradox_fixtures: %s\n", error.what());
        return 1;
    }
    return 0;
}
