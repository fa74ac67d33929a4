// The schema's numbered migrations, and files this program must not touch.

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>
#include <filesystem>

#include "inventory_fixture.h"

namespace mk843nb::inventory::test {
namespace {

// Runs statements on the file through a connection of the test's own.
void OnFile(const std::string& path, const std::vector<std::string>& statements) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "schema-test");
        db.setDatabaseName(QString::fromStdString(path));
        ASSERT_TRUE(db.open());
        for (const std::string& statement : statements) {
            QSqlQuery query(db);
            ASSERT_TRUE(query.exec(QString::fromStdString(statement))) << statement;
        }
    }
    QSqlDatabase::removeDatabase("schema-test");
}

std::vector<std::string> FolderListing(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(InventorySchema, ANewFileIsMigratedOnceAndKeepsItsRecordsWhenOpenedAgain) {
    StartQt();
    Folder folder;
    const std::string path = folder.File("inventory.sqlite");
    std::int64_t pagerId = 0;
    {
        auto inventory = OpenOrFail(path);
        ASSERT_NE(inventory, nullptr);
        EXPECT_EQ(inventory->SchemaVersion(), 1);
        pagerId = inventory->EnsurePager({.asset = "SN-1"}).value->id;
        ASSERT_TRUE(inventory->Record({.pagerId = pagerId, .image = DefaultImage()}).ok());
    }
    // Two at once, as the window and a fleet run start together.
    auto first = OpenOrFail(path);
    auto second = OpenOrFail(path);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(second->SchemaVersion(), 1);
    EXPECT_EQ(first->History(pagerId).value->size(), 1u);
}

TEST(InventorySchema, AFileANewerProgramMadeIsRefusedAndLeftByteForByte) {
    StartQt();
    Folder folder;
    const std::string path = folder.File("inventory.sqlite");
    {
        auto inventory = OpenOrFail(path);
        ASSERT_NE(inventory, nullptr);
        ASSERT_TRUE(inventory->Record({.image = DefaultImage()}).ok());
    }
    OnFile(path, {"PRAGMA journal_mode = DELETE", "CREATE TABLE sites (name TEXT)",
                  "PRAGMA user_version = 2"});
    const auto bytes = FileBytes(path);
    const auto listing = FolderListing(folder.Path());

    const auto open = Inventory::Open(path);
    ASSERT_FALSE(open.ok());
    EXPECT_NE(open.error.find(path), std::string::npos) << open.error;
    EXPECT_NE(open.error.find("newer version of mk843nb (schema 2"), std::string::npos)
        << open.error;
    EXPECT_EQ(FileBytes(path), bytes);
    EXPECT_EQ(FolderListing(folder.Path()), listing);
}

TEST(InventorySchema, AnotherProgramsDatabaseIsRefusedAndLeftAsItWas) {
    StartQt();
    Folder folder;
    const std::string path = folder.File("addresses.sqlite");
    OnFile(path, {"CREATE TABLE people (name TEXT)", "INSERT INTO people VALUES ('ann')"});
    const auto bytes = FileBytes(path);
    const auto open = Inventory::Open(path);
    ASSERT_FALSE(open.ok());
    EXPECT_NE(open.error.find("is not an inventory database"), std::string::npos) << open.error;
    EXPECT_EQ(FileBytes(path), bytes);
}

}  // namespace
}  // namespace mk843nb::inventory::test
