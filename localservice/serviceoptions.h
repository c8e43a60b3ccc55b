#pragma once

#include <optional>
#include <string>
#include <vector>

// A user given on the command line, ready for the store.
struct SeedUser {
    std::string name;
    std::string scrambledPassword;
    std::string email;
};

// The service's command line.
struct ServiceOptions {
    int port { 0 };
    std::string database;
    std::string files;
    std::string driver { "QSQLITE" };
    std::vector<SeedUser> users;
};

// Parses the arguments after the program name; on a bad one, none and `error` says why.
// A --user password is lower-cased, trimmed and scrambled as the sign-on stores it.
std::optional<ServiceOptions> ParseServiceOptions(const std::vector<std::string>& args, std::string& error);
