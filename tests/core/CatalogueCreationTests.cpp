#include <gtest/gtest.h>

#include "TestCatalogue.h"
#include "core/Catalogue.h"
#include "foundation/ScriptedDialogs.h"

namespace sw {
namespace {

using test::CatalogueStart;
using test::TestCatalogue;

TEST(CatalogueCreation, ANewCatalogueStartsCurrentWithTheLayoutTheLadderBuilds) {
    ScriptedDialogs dialogs;
    ScopedDialogs installed(dialogs);
    const TestCatalogue climbed("Same name");
    const TestCatalogue created("Same name", CatalogueStart::Current);

    Catalogue upgraded;
    climbed.OpenCurrent(upgraded);
    EXPECT_EQ(upgraded.CatalogueVersion(), kCurrentCatalogueVersion);

    // A new catalogue needs no step, so its user sees no conversion message.
    Catalogue fresh;
    created.Open(fresh);
    fresh.ReadParams();
    EXPECT_EQ(fresh.CatalogueVersion(), kCurrentCatalogueVersion);
    EXPECT_EQ(fresh.CatalogueName(), "Same name");
    EXPECT_FALSE(fresh.UpgradeCatalogue());
    EXPECT_TRUE(dialogs.Transcript().isEmpty()) << dialogs.Transcript().join('\n').toStdString();
    fresh.OpenTableCursors();

    const QStringList freshLayout = test::CatalogueLayout(fresh);
    EXPECT_EQ(freshLayout, test::CatalogueLayout(upgraded));
    EXPECT_TRUE(freshLayout.contains("params 1 DBVN " + QString::number(kCurrentCatalogueVersion) + " -"));
    EXPECT_TRUE(freshLayout.contains("params 2 DBNAME -1 Same name"));

    // Rows inserted later get the defaults that the ladder's columns carry.
    fresh.ExecSqlCommit("insert into album (albumid, alname) values (1, 'New')");
    fresh.ExecSqlCommit("insert into plist (plid, plname) values (1, 'List')");
    EXPECT_EQ(
        fresh
            .Select("select alorgrp || grpid || ratingdrvd || ratingassd || ratingsumm || seq || grpseq "
                    "as v from album")
            .Text("V"),
        "A02002000");
    EXPECT_EQ(fresh.Select("select pldate from plist").Int("PLDATE"), 0);
}

}  // namespace
}  // namespace sw
