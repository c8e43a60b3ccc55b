#pragma once

#include "platform/testing/serviceprocess.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QVariant>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// A service of its own for each test, with a fresh database in a scratch folder,
// users alice ("pw") and Bob ("Secret").
class ServiceTest : public ::testing::Test {
protected:
    static constexpr const char* kAlicePassword = "112-243-";  // "pw" scrambled
    static constexpr const char* kBobPassword = "115-19-231-157-31-111-";  // "secret" scrambled

    void SetUp() override { start(); }

    void start(std::vector<std::string> extra = {})
    {
        std::vector<std::string> args { "--db", database(), "--user", "alice:pw", "--user", "Bob:Secret" };
        args.insert(args.end(), extra.begin(), extra.end());
        service = std::make_unique<ServiceProcess>(args);
        ASSERT_TRUE(service->started()) << service->error();
    }

    std::string database() const { return dir.filePath("users.db").toStdString(); }

    HttpAnswer get(const std::string& target) const { return HttpGet(service->port(), target); }

    std::string logIn(const std::string& name, const std::string& password, const std::string& address)
    {
        return get("/login.asp?Login=" + name + "&Password=" + password + "&IPAddress=" + address + "&publickey=k1").body;
    }

    // Every row of the users, profiles and notes tables, one line each, to see that nothing changed.
    std::string dump() const
    {
        std::string text;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("dump"));
            db.setDatabaseName(QString::fromStdString(database()));
            EXPECT_TRUE(db.open());
            for (const char* sql : { "SELECT * FROM users ORDER BY name_key", "SELECT * FROM profiles ORDER BY name_key",
                                     "SELECT * FROM notes ORDER BY id" }) {
                QSqlQuery query(db);
                EXPECT_TRUE(query.exec(QString::fromLatin1(sql)));
                while (query.next()) {
                    for (int i = 0; i < query.record().count(); ++i)
                        text += query.value(i).toByteArray().toStdString() + "|";
                    text += "\n";
                }
            }
        }
        QSqlDatabase::removeDatabase(QStringLiteral("dump"));
        return text;
    }

    QTemporaryDir dir;
    std::unique_ptr<ServiceProcess> service;
};
