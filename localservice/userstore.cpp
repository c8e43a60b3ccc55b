#include "localservice/userstore.h"

#include "platform/rtl/sysutils.h"

#include <QSqlError>
#include <QVariant>

#include <atomic>

namespace {


QString NextConnectionName()
{
    static std::atomic<int> counter { 0 };
    return QStringLiteral("korvo-service-%1").arg(counter++);
}

}  // namespace

std::string UserKey(const std::string& name) { return AnsiLowerCase(name); }

UserStore::UserStore(const std::string& driver, const std::string& databaseName)
    : m_connection(NextConnectionName())
{
    m_db = QSqlDatabase::addDatabase(QString::fromStdString(driver), m_connection);
    if (!m_db.isValid())
        throw StoreError("no SQL driver " + driver);
    m_db.setDatabaseName(QString::fromStdString(databaseName));
    if (!m_db.open())
        throw StoreError("cannot open " + databaseName + ": " + m_db.lastError().text().toStdString());

    QSqlQuery setup(m_db);
    if (m_db.driverName() == QLatin1String("QSQLITE")) {
        // Readers never wait for the writer, and a commit survives the process being killed.
        setup.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        setup.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
        setup.exec(QStringLiteral("PRAGMA busy_timeout=5000"));
    }
    if (!setup.exec(QStringLiteral(
            "CREATE TABLE IF NOT EXISTS users ("
            " name_key BLOB PRIMARY KEY,"
            " name BLOB NOT NULL,"
            " password BLOB NOT NULL,"
            " email BLOB NOT NULL,"
            " address BLOB NOT NULL,"
            " publickey BLOB NOT NULL,"
            " logged_on INTEGER NOT NULL,"
            " seen INTEGER NOT NULL)")))
        throw StoreError("cannot create the users table: " + setup.lastError().text().toStdString());

    if (!setup.exec(QStringLiteral(
            "CREATE TABLE IF NOT EXISTS profiles ("
            " name_key BLOB PRIMARY KEY,"
            " first_name BLOB NOT NULL,"
            " last_name BLOB NOT NULL,"
            " address BLOB NOT NULL,"
            " city BLOB NOT NULL,"
            " state BLOB NOT NULL,"
            " zip BLOB NOT NULL,"
            " phone BLOB NOT NULL)")))
        throw StoreError("cannot create the profiles table: " + setup.lastError().text().toStdString());
    // Notes waiting for a user move with it when it is renamed.
    if (!setup.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS notes ("
                                   " id INTEGER PRIMARY KEY AUTOINCREMENT,"
                                   " owner_key BLOB NOT NULL,"
                                   " sender BLOB NOT NULL,"
                                   " message BLOB NOT NULL,"
                                   " link BLOB NOT NULL)"))
        || !setup.exec(QStringLiteral("CREATE INDEX IF NOT EXISTS notes_owner ON notes (owner_key, id)")))
        throw StoreError("cannot create the notes table: " + setup.lastError().text().toStdString());

    const auto prepare = [this](std::optional<QSqlQuery>& query, const char* sql) {
        query.emplace(m_db);
        if (!query->prepare(QString::fromLatin1(sql)))
            throw StoreError("cannot prepare: " + query->lastError().text().toStdString());
    };
    prepare(m_find, "SELECT 1 FROM users WHERE name_key = ?");
    prepare(m_insert,
            "INSERT INTO users (name_key, name, password, email, address, publickey, logged_on, seen)"
            " VALUES (?, ?, ?, ?, '', '', 0, 0)");
    prepare(m_update, "UPDATE users SET password = ?, email = ? WHERE name_key = ?");
    prepare(m_logIn,
            "UPDATE users SET address = ?, publickey = ?, logged_on = 1, seen = ?"
            " WHERE name_key = ? AND password = ?");
    prepare(m_refresh,
            "UPDATE users SET address = CASE WHEN address = ? THEN ? ELSE address END, seen = ?"
            " WHERE name_key = ? AND logged_on = 1");
    prepare(m_address, "SELECT address FROM users WHERE name_key = ? AND logged_on = 1");
    prepare(m_password, "SELECT password FROM users WHERE name_key = ?");
    prepare(m_register,
            "INSERT INTO users (name_key, name, password, email, address, publickey, logged_on, seen)"
            " VALUES (?, ?, ?, ?, '', ?, 0, 0)");
    prepare(m_profile,
            "INSERT OR REPLACE INTO profiles (name_key, first_name, last_name, address, city, state, zip, phone)"
            " VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
}

UserStore::~UserStore()
{
    m_find.reset();
    m_insert.reset();
    m_update.reset();
    m_logIn.reset();
    m_refresh.reset();
    m_address.reset();
    m_password.reset();
    m_register.reset();
    m_profile.reset();
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connection);
}

void UserStore::exec(QSqlQuery& query)
{
    if (!query.exec())
        throw StoreError(query.lastError().text().toStdString());
}

void UserStore::begin()
{
    if (!m_db.transaction())
        throw StoreError("cannot begin a transaction: " + m_db.lastError().text().toStdString());
}

void UserStore::commit()
{
    if (!m_db.commit()) {
        const std::string why = m_db.lastError().text().toStdString();
        m_db.rollback();
        throw StoreError("cannot commit: " + why);
    }
}

void UserStore::addUser(const std::string& name, const std::string& scrambledPassword, const std::string& email)
{
    const QByteArray key = QByteArray::fromStdString(UserKey(name));
    begin();
    try {
        m_find->bindValue(0, key);
        exec(*m_find);
        const bool exists = m_find->next();
        m_find->finish();
        if (exists) {
            m_update->bindValue(0, QByteArray::fromStdString(scrambledPassword));
            m_update->bindValue(1, QByteArray::fromStdString(email));
            m_update->bindValue(2, key);
            exec(*m_update);
        } else {
            m_insert->bindValue(0, key);
            m_insert->bindValue(1, QByteArray::fromStdString(name));
            m_insert->bindValue(2, QByteArray::fromStdString(scrambledPassword));
            m_insert->bindValue(3, QByteArray::fromStdString(email));
            exec(*m_insert);
        }
    } catch (...) {
        m_db.rollback();
        throw;
    }
    commit();
}

bool UserStore::logIn(const std::string& name, const std::string& scrambledPassword, const std::string& address,
                      const std::string& publicKey, std::int64_t now)
{
    begin();
    try {
        m_logIn->bindValue(0, QByteArray::fromStdString(address));
        m_logIn->bindValue(1, QByteArray::fromStdString(publicKey));
        m_logIn->bindValue(2, static_cast<qlonglong>(now));
        m_logIn->bindValue(3, QByteArray::fromStdString(UserKey(name)));
        m_logIn->bindValue(4, QByteArray::fromStdString(scrambledPassword));
        exec(*m_logIn);
    } catch (...) {
        m_db.rollback();
        throw;
    }
    const bool matched = m_logIn->numRowsAffected() == 1;
    commit();
    return matched;
}

bool UserStore::refresh(const std::string& name, const std::string& address, const std::string& from,
                        std::int64_t now)
{
    begin();
    try {
        m_refresh->bindValue(0, QByteArray::fromStdString(from));
        m_refresh->bindValue(1, QByteArray::fromStdString(address));
        m_refresh->bindValue(2, static_cast<qlonglong>(now));
        m_refresh->bindValue(3, QByteArray::fromStdString(UserKey(name)));
        exec(*m_refresh);
    } catch (...) {
        m_db.rollback();
        throw;
    }
    const bool matched = m_refresh->numRowsAffected() == 1;
    commit();
    return matched;
}

std::optional<std::string> UserStore::addressOf(const std::string& name)
{
    m_address->bindValue(0, QByteArray::fromStdString(UserKey(name)));
    exec(*m_address);
    std::optional<std::string> address;
    if (m_address->next())
        address = m_address->value(0).toByteArray().toStdString();
    m_address->finish();
    return address;
}

bool UserStore::exists(const std::string& name)
{
    m_find->bindValue(0, QByteArray::fromStdString(UserKey(name)));
    exec(*m_find);
    const bool found = m_find->next();
    m_find->finish();
    return found;
}

bool UserStore::passwordMatches(const std::string& name, const std::string& scrambledPassword)
{
    m_password->bindValue(0, QByteArray::fromStdString(UserKey(name)));
    exec(*m_password);
    const bool matches = m_password->next() && m_password->value(0).toByteArray() == QByteArray::fromStdString(scrambledPassword);
    m_password->finish();
    return matches;
}

bool UserStore::registerUser(const std::string& name, const std::string& scrambledPassword, const std::string& email,
                             const std::string& publicKey, const Profile& profile)
{
    const QByteArray key = QByteArray::fromStdString(UserKey(name));
    begin();
    try {
        m_find->bindValue(0, key);
        exec(*m_find);
        const bool taken = m_find->next();
        m_find->finish();
        if (taken) {
            m_db.rollback();
            return false;
        }
        m_register->bindValue(0, key);
        m_register->bindValue(1, QByteArray::fromStdString(name));
        m_register->bindValue(2, QByteArray::fromStdString(scrambledPassword));
        m_register->bindValue(3, QByteArray::fromStdString(email));
        m_register->bindValue(4, QByteArray::fromStdString(publicKey));
        exec(*m_register);
        const std::string* fields[] = { &profile.firstName, &profile.lastName, &profile.address, &profile.city,
                                        &profile.state, &profile.zip, &profile.phone };
        m_profile->bindValue(0, key);
        for (int i = 0; i < 7; ++i)
            m_profile->bindValue(i + 1, QByteArray::fromStdString(*fields[i]));
        exec(*m_profile);
    } catch (...) {
        m_db.rollback();
        throw;
    }
    commit();
    return true;
}

bool UserStore::modify(const std::string& name, const std::string& scrambledPassword, const AccountChange& change)
{
    const QByteArray oldKey = QByteArray::fromStdString(UserKey(name));
    const QByteArray newKey = QByteArray::fromStdString(UserKey(change.name));
    const auto run = [this](const char* sql, const QVariantList& values) {
        QSqlQuery query(m_db);
        if (!query.prepare(QString::fromLatin1(sql)))
            throw StoreError(query.lastError().text().toStdString());
        for (int i = 0; i < values.size(); ++i)
            query.bindValue(i, values[i]);
        exec(query);
        return query.numRowsAffected();
    };
    begin();
    try {
        if (!passwordMatches(name, scrambledPassword) || (newKey != oldKey && exists(change.name))) {
            m_db.rollback();
            return false;
        }
        run("UPDATE users SET name_key = ?, name = ?, password = ?, email = ?, publickey = ? WHERE name_key = ?",
            { newKey, QByteArray::fromStdString(change.name), QByteArray::fromStdString(change.scrambledPassword), QByteArray::fromStdString(change.email),
              QByteArray::fromStdString(change.publicKey), oldKey });
        if (run("UPDATE profiles SET name_key = ?, phone = ? WHERE name_key = ?", { newKey, QByteArray::fromStdString(change.phone), oldKey })
            == 0)
            run("INSERT INTO profiles (name_key, first_name, last_name, address, city, state, zip, phone)"
                " VALUES (?, '', '', '', '', '', '', ?)",
                { newKey, QByteArray::fromStdString(change.phone) });
        run("UPDATE notes SET owner_key = ? WHERE owner_key = ?", { newKey, oldKey });
    } catch (...) {
        m_db.rollback();
        throw;
    }
    commit();
    return true;
}
