#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QDBusMessage>
#include <QJsonObject>
#include <QString>

#include "vortan/AutomationClient.h"

namespace vortan::systest {

// The private world of the system tests, made once for the test program: a temporary XDG tree,
// a private session bus whose service directory holds the registration `vortan --register`
// wrote, a class registry and a boards directory.
struct ServerTestEnv {
    std::string root;      // everything below is inside
    std::string program;   // the real vortan
    std::string dataHome;  // XDG_DATA_HOME
    std::string boards;    // VORTAN_BOARDS
    std::string boardTool; // vortan-board, empty without the simulated board
    std::string busAddress;
    std::function<void()> killBus;
};

const ServerTestEnv& Env();

// Ends the private bus (for the test of a server that loses it).
void KillBus();

// Sets variables in the environment of servers the bus starts from now on.
bool SetActivationEnvironment(const std::vector<std::pair<QString, QString>>& variables);

// The unattended desktop of the next servers: answers (one per line) and a fresh transcript.
// Returns the transcript's path.
std::string PrepareDesktop(const std::string& name, const std::string& answers);

// The JSON lines of a transcript written by the process `pid` (all processes for 0).
std::vector<QJsonObject> ReadTranscript(const std::string& path, unsigned pid = 0);

// The process behind a unique bus name; 0 if the name has no owner.
unsigned ServerPid(const std::string& uniqueName);
// True while the process exists and has not ended.
bool ProcessRunning(unsigned pid);
bool WaitProcessGone(unsigned pid, int ms);

// Writes a profile file in the test tree and returns its path.
std::string WriteProfile(const std::string& name, const std::string& text);

// The automation object as a client creates it: a server of its own started by the bus.
std::unique_ptr<client::DispatchObject> Create();
// The creation request to the class factory of `service`, and a call of the object's method.
QDBusMessage FactoryCall(const QString& service);
QDBusMessage ObjectCall(const std::string& server, const char* method);

// A simulated board made by the board tool (`args` after its name); its flash directory.
std::string MakeBoard(const std::string& name, const std::vector<std::string>& args = {});
// A board whose controller never answers a Connect: its server waits for the connection.
std::string MakeSilentBoard(const std::string& name);
// A directory in the test tree; its path.
std::string MakeDir(const std::string& name);
void Put(const std::string& path, const std::string& bytes);
// The whole content of a file; empty if there is none.
std::string Get(const std::string& path);
// Waits (up to `ms`) until a transcript holds a text event showing `text`.
bool WaitForText(const std::string& transcript, const QString& text, int ms);

} // namespace vortan::systest
