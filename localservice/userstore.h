#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

// Raised when the database cannot be opened or a statement fails.
class StoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The service's database and its users: names found case-blind, passwords in the scrambled form
// the sign-on sends, and where each logged-on user can be reached.
// Every change is one transaction; a refused change writes nothing.
class UserStore final {
public:
    // Opens (and creates) the store; `driver` is a Qt SQL driver name.
    UserStore(const std::string& driver, const std::string& databaseName);
    ~UserStore();
    UserStore(const UserStore&) = delete;
    UserStore& operator=(const UserStore&) = delete;

    // Adds the user, or sets the password and e-mail of the one of that name.
    void addUser(const std::string& name, const std::string& scrambledPassword, const std::string& email);

    // What a sign-up gives besides the name, password, e-mail and key.
    struct Profile {
        std::string firstName;
        std::string lastName;
        std::string address;
        std::string city;
        std::string state;
        std::string zip;
        std::string phone;
    };

    // Adds a new user; false, and nothing stored, when the name is taken in any case.
    bool registerUser(const std::string& name, const std::string& scrambledPassword, const std::string& email,
                      const std::string& publicKey, const Profile& profile);

    // What an account change sets.
    struct AccountChange {
        std::string name;
        std::string email;
        std::string phone;
        std::string scrambledPassword;
        std::string publicKey;
    };

    // Applies the change when name and password match; a new name renames the user
    // (with the notes waiting for it) unless another user holds it in any case.
    // False, and nothing changed, otherwise.
    bool modify(const std::string& name, const std::string& scrambledPassword, const AccountChange& change);

    // Records address, key and time when the name and password match; false otherwise.
    bool logIn(const std::string& name, const std::string& scrambledPassword, const std::string& address,
               const std::string& publicKey, std::int64_t now);

    // A logged-on user's time, and its new address when the request came from the
    // address of its log-on (a move from elsewhere needs a log-on, with the password);
    // false for anyone not logged on.
    bool refresh(const std::string& name, const std::string& address, const std::string& from, std::int64_t now);

    // The address of a logged-on user.
    std::optional<std::string> addressOf(const std::string& name);

    bool exists(const std::string& name);
    bool passwordMatches(const std::string& name, const std::string& scrambledPassword);

    // The connection the other stores of the service share.
    QSqlDatabase& database() { return m_db; }

private:
    void exec(QSqlQuery& query);
    void begin();
    void commit();

    QString m_connection;
    QSqlDatabase m_db;
    std::optional<QSqlQuery> m_find;
    std::optional<QSqlQuery> m_insert;
    std::optional<QSqlQuery> m_update;
    std::optional<QSqlQuery> m_logIn;
    std::optional<QSqlQuery> m_refresh;
    std::optional<QSqlQuery> m_address;
    std::optional<QSqlQuery> m_password;
    std::optional<QSqlQuery> m_register;
    std::optional<QSqlQuery> m_profile;
};

// The case-blind key of a user name.
std::string UserKey(const std::string& name);
