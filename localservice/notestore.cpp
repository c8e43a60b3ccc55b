#include "localservice/notestore.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

void Exec(QSqlQuery& query)
{
    if (!query.exec())
        throw StoreError(query.lastError().text().toStdString());
}

// Rolls back unless committed, so a failed step leaves nothing behind.
class Transaction {
public:
    explicit Transaction(QSqlDatabase& db) : m_db(db)
    {
        if (!m_db.transaction())
            throw StoreError("cannot begin a transaction: " + m_db.lastError().text().toStdString());
    }
    ~Transaction()
    {
        if (!m_done)
            m_db.rollback();
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit()
    {
        if (!m_db.commit())
            throw StoreError("cannot commit: " + m_db.lastError().text().toStdString());
        m_done = true;
    }

private:
    QSqlDatabase& m_db;
    bool m_done { false };
};

}  // namespace

NoteStore::NoteStore(UserStore& users)
    : m_users(users)
{
}

bool NoteStore::add(const std::string& to, const Note& note)
{
    QSqlDatabase& db = m_users.database();
    Transaction transaction(db);
    if (!m_users.exists(to))
        return false;
    const QByteArray owner = QByteArray::fromStdString(UserKey(to));
    QSqlQuery count(db);
    count.prepare(QStringLiteral(
        "SELECT COUNT(*), COALESCE(SUM(LENGTH(sender) + LENGTH(message) + LENGTH(link)), 0) FROM notes"
        " WHERE owner_key = ?"));
    count.bindValue(0, owner);
    Exec(count);
    const auto bytes = static_cast<qint64>(note.from.size() + note.message.size() + note.link.size());
    if (!count.next() || count.value(0).toInt() >= kMaxNotesPerUser
        || count.value(1).toLongLong() + bytes > kMaxNoteBytesPerUser)
        return false;
    QSqlQuery insert(db);
    insert.prepare(QStringLiteral("INSERT INTO notes (owner_key, sender, message, link) VALUES (?, ?, ?, ?)"));
    insert.bindValue(0, owner);
    insert.bindValue(1, QByteArray::fromStdString(note.from));
    insert.bindValue(2, QByteArray::fromStdString(note.message));
    insert.bindValue(3, QByteArray::fromStdString(note.link));
    Exec(insert);
    transaction.commit();
    return true;
}

std::vector<NoteStore::Note> NoteStore::take(const std::string& user, std::size_t maxNotes, std::size_t lineBytes)
{
    QSqlDatabase& db = m_users.database();
    Transaction transaction(db);
    QSqlQuery select(db);
    select.prepare(QStringLiteral("SELECT id, sender, message, link FROM notes WHERE owner_key = ? ORDER BY id LIMIT ?"));
    select.bindValue(0, QByteArray::fromStdString(UserKey(user)));
    select.bindValue(1, static_cast<qlonglong>(maxNotes));
    Exec(select);
    std::vector<Note> notes;
    std::vector<qlonglong> ids;
    std::size_t used = 0;
    while (select.next()) {
        Note note { select.value(1).toByteArray().toStdString(), select.value(2).toByteArray().toStdString(),
                    select.value(3).toByteArray().toStdString() };
        // Only whole notes leave, in order: the first that does not fit waits with all after it.
        used += ReplyLine(note).size();
        if (used > lineBytes)
            break;
        ids.push_back(select.value(0).toLongLong());
        notes.push_back(std::move(note));
    }
    select.finish();
    QSqlQuery remove(db);
    remove.prepare(QStringLiteral("DELETE FROM notes WHERE id = ?"));
    for (const qlonglong id : ids) {
        remove.bindValue(0, id);
        Exec(remove);
    }
    transaction.commit();
    return notes;
}

std::string NoteStore::ReplyLine(const Note& note) { return note.from + '\xB6' + note.message + '\xB6' + note.link + "\r\n"; }
