#pragma once

#include "app/support/EventLoop.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QStringList>
#include <QThread>

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace kelvora::testing {

// One object of this process's windows as a screen reader meets it over AT-SPI.
struct AtSpiObject {
    std::string role; // "push button", "list item", …
    std::string name;
    std::string description;
    std::set<std::string> states; // "focusable", "checked", …
    std::vector<std::string> actions;
    std::optional<double> value;
    // The roles and names from the window down, to tell which object a failure is about.
    std::string where;
    std::vector<AtSpiObject> children;

    bool has(const std::string& state) const { return states.count(state) > 0; }

    // Calls `visit` on this object and on every object under it that is on screen.
    void walkShowing(const std::function<void(const AtSpiObject&)>& visit) const {
        if (!has("showing")) return;
        visit(*this);
        for (const AtSpiObject& child : children)
            child.walkShowing(visit);
    }
    // The first object on screen under this one (itself included) that matches.
    const AtSpiObject* find(const std::function<bool(const AtSpiObject&)>& match) const {
        const AtSpiObject* found = nullptr;
        walkShowing([&](const AtSpiObject& object) {
            if (!found && match(object)) found = &object;
        });
        return found;
    }
};

// Reads the accessibility tree of this process from the accessibility bus of the D-Bus
// session, as a screen reader would: the application and its windows, with every object's
// role, name, description, states, actions and value. The reading runs in a thread of its
// own, because the answers come from this process's main thread, which runs its event loop
// meanwhile. Needs a session bus that starts the accessibility bus (dbus-run-session does)
// and the toolkit's bridge switched on (QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1).
class AtSpiReader {
public:
    // The application's object, or none with the reason in `error`.
    static std::optional<AtSpiObject> application(std::string& error) {
        std::optional<AtSpiObject> read;
        std::atomic<bool> done{false};
        std::thread worker([&] {
            AtSpiReader reader;
            read = reader.readApplication(error);
            done = true;
        });
        waitUntil([&] { return done.load(); }, std::chrono::seconds(120));
        worker.join();
        return read;
    }

private:
    struct Ref {
        QString service;
        QString path;
    };

    static constexpr int kCallTimeout = 5000;
    static constexpr int kMostObjects = 6000;

    ~AtSpiReader() {
        if (connected_) QDBusConnection::disconnectFromBus(kBus);
        QDBusConnection::disconnectFromBus(kSession);
    }

    static inline const QString kSession = QStringLiteral("kelvora-atspi-session");
    static inline const QString kBus = QStringLiteral("kelvora-atspi-bus");

    std::optional<AtSpiObject> readApplication(std::string& error) {
        QDBusConnection session =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, kSession);
        if (!session.isConnected()) {
            error = "no D-Bus session";
            return std::nullopt;
        }
        QDBusMessage address =
            session.call(QDBusMessage::createMethodCall("org.a11y.Bus", "/org/a11y/bus",
                                                        "org.a11y.Bus", "GetAddress"),
                         QDBus::Block, kCallTimeout);
        if (address.type() != QDBusMessage::ReplyMessage || address.arguments().isEmpty()) {
            error = "no accessibility bus: " + address.errorMessage().toStdString();
            return std::nullopt;
        }
        bus_ = QDBusConnection::connectToBus(address.arguments().first().toString(), kBus);
        connected_ = true;
        if (!bus_.isConnected()) {
            error = "cannot reach the accessibility bus";
            return std::nullopt;
        }
        // The toolkit's bridge embeds the application a moment after it starts.
        std::vector<Ref> applications;
        for (int tries = 0; tries < 100 && applications.empty(); ++tries) {
            applications = children({"org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root"});
            if (applications.empty()) QThread::msleep(100);
        }
        if (applications.size() != 1) {
            error = std::to_string(applications.size()) + " applications on the accessibility bus";
            return std::nullopt;
        }
        return read(applications.front(), "", 0);
    }

    QDBusMessage call(const Ref& ref, const char* interface, const char* method,
                      const QVariantList& arguments = {}) {
        QDBusMessage message =
            QDBusMessage::createMethodCall(ref.service, ref.path, interface, method);
        message.setArguments(arguments);
        return bus_.call(message, QDBus::Block, kCallTimeout);
    }

    // What a call answered, or nothing when it failed.
    QVariant answer(const Ref& ref, const char* interface, const char* method,
                    const QVariantList& arguments = {}) {
        QDBusMessage reply = call(ref, interface, method, arguments);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return {};
        return reply.arguments().first();
    }

    QVariant property(const Ref& ref, const char* interface, const char* name) {
        return answer(ref, "org.freedesktop.DBus.Properties", "Get",
                      {QString(interface), QString(name)})
            .value<QDBusVariant>()
            .variant();
    }

    std::vector<Ref> children(const Ref& ref) {
        std::vector<Ref> found;
        const auto list =
            answer(ref, "org.a11y.atspi.Accessible", "GetChildren").value<QDBusArgument>();
        if (list.currentType() != QDBusArgument::ArrayType) return found;
        list.beginArray();
        while (!list.atEnd()) {
            QString service;
            QDBusObjectPath path;
            list.beginStructure();
            list >> service >> path;
            list.endStructure();
            found.push_back({service, path.path()});
        }
        list.endArray();
        return found;
    }

    // The names of AT-SPI's states, by their bit.
    static const std::vector<std::string>& stateNames() {
        static const std::vector<std::string> names = [] {
            std::vector<std::string> split;
            std::istringstream all(
                "invalid,active,armed,busy,checked,collapsed,defunct,editable,enabled,expandable,"
                "expanded,focusable,focused,has tooltip,horizontal,iconified,modal,multi line,"
                "multiselectable,opaque,pressed,resizable,selectable,selected,sensitive,showing,"
                "single line,stale,transient,vertical,visible,manages descendants,indeterminate,"
                "required,truncated,animated,invalid entry,supports autocompletion,selectable "
                "text,is default,visited,checkable,has popup,read only");
            for (std::string name; std::getline(all, name, ',');)
                split.push_back(name);
            return split;
        }();
        return names;
    }

    std::set<std::string> states(const Ref& ref) {
        std::set<std::string> found;
        const QVariant reply = answer(ref, "org.a11y.atspi.Accessible", "GetState");
        if (!reply.isValid()) return found;
        const QList<uint> words = qdbus_cast<QList<uint>>(reply);
        for (int word = 0; word < words.size(); ++word)
            for (int bit = 0; bit < 32; ++bit)
                if (words[word] & (1u << bit)) {
                    const size_t index = static_cast<size_t>(word * 32 + bit);
                    found.insert(index < stateNames().size() ? stateNames()[index]
                                                             : "state " + std::to_string(index));
                }
        return found;
    }

    std::vector<std::string> actions(const Ref& ref) {
        std::vector<std::string> found;
        const auto list = answer(ref, "org.a11y.atspi.Action", "GetActions").value<QDBusArgument>();
        if (list.currentType() != QDBusArgument::ArrayType) return found;
        list.beginArray();
        while (!list.atEnd()) {
            QString name, description, keys;
            list.beginStructure();
            list >> name >> description >> keys;
            list.endStructure();
            found.push_back(name.toStdString());
        }
        list.endArray();
        return found;
    }

    AtSpiObject read(const Ref& ref, const std::string& above, int depth) {
        AtSpiObject object;
        object.role =
            answer(ref, "org.a11y.atspi.Accessible", "GetRoleName").toString().toStdString();
        object.name = property(ref, "org.a11y.atspi.Accessible", "Name").toString().toStdString();
        object.description =
            property(ref, "org.a11y.atspi.Accessible", "Description").toString().toStdString();
        object.states = states(ref);
        object.where = above + " › " + object.role + " “" + object.name + "”";
        const QVariant interfaces = answer(ref, "org.a11y.atspi.Accessible", "GetInterfaces");
        const QStringList offered =
            interfaces.isValid() ? qdbus_cast<QStringList>(interfaces) : QStringList();
        if (offered.contains("org.a11y.atspi.Action")) object.actions = actions(ref);
        if (offered.contains("org.a11y.atspi.Value")) {
            QVariant value = property(ref, "org.a11y.atspi.Value", "CurrentValue");
            if (value.isValid()) object.value = value.toDouble();
        }
        ++read_;
        if (depth < 60 && read_ < kMostObjects)
            for (const Ref& child : children(ref))
                object.children.push_back(read(child, object.where, depth + 1));
        return object;
    }

    QDBusConnection bus_{QString()};
    bool connected_ = false;
    int read_ = 0;
};

} // namespace kelvora::testing
