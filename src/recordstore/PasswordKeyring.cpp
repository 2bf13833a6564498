#include "recordstore/PasswordKeyring.h"

#include <cstdlib>
#include <string>
#include <sys/stat.h>

#ifdef TB_HAVE_LIBSECRET
#include <libsecret/secret.h>
#endif

namespace {

// Without a session bus, GLib would try to start one (dbus-launch): a command-line tool on a
// headless bench must not.
bool SessionBus() {
    if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address)
        return true;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat info {};
    return runtime && *runtime && stat((std::string(runtime) + "/bus").c_str(), &info) == 0;
}

#ifdef TB_HAVE_LIBSECRET
const SecretSchema* Schema() {
    static const SecretSchema schema = {"com.quenhollow.TollbrookY202.TestRecords",
                                        SECRET_SCHEMA_NONE,
                                        {
                                            {"host", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                            {"port", SECRET_SCHEMA_ATTRIBUTE_INTEGER},
                                            {"database", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                            {"user", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                            {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING},
                                        },
                                        0,
                                        nullptr,
                                        nullptr,
                                        nullptr,
                                        nullptr,
                                        nullptr,
                                        nullptr,
                                        nullptr};
    return &schema;
}

std::string TakeError(GError* error) {
    std::string text = error && error->message ? error->message : "the keyring did not answer";
    if (error)
        g_error_free(error);
    return text;
}
#endif

} // namespace

namespace PasswordKeyring {

bool Available() {
#ifdef TB_HAVE_LIBSECRET
    return SessionBus();
#else
    return false;
#endif
}

bool Store(const StoreLocation& location, const std::string& password, std::string* error) {
#ifdef TB_HAVE_LIBSECRET
    if (!Available()) {
        if (error)
            *error = "no keyring: the desktop session offers none";
        return false;
    }
    GError* failure = nullptr;
    const gboolean stored = secret_password_store_sync(
        Schema(), SECRET_COLLECTION_DEFAULT, "Tollbrook test records", password.c_str(), nullptr,
        &failure, "host", location.host.c_str(), "port", location.port, "database",
        location.database.c_str(), "user", location.user.c_str(), nullptr);
    if (!stored || failure) {
        const std::string text = TakeError(failure);
        if (error)
            *error = text;
        return false;
    }
    return true;
#else
    (void)location;
    (void)password;
    if (error)
        *error = "this build has no keyring support";
    return false;
#endif
}

std::optional<std::string> Lookup(const StoreLocation& location) {
#ifdef TB_HAVE_LIBSECRET
    if (!Available())
        return std::nullopt;
    GError* failure = nullptr;
    gchar* found = secret_password_lookup_sync(
        Schema(), nullptr, &failure, "host", location.host.c_str(), "port", location.port,
        "database", location.database.c_str(), "user", location.user.c_str(), nullptr);
    if (failure)
        g_error_free(failure);
    if (!found)
        return std::nullopt;
    std::string password = found;
    secret_password_free(found);
    return password;
#else
    (void)location;
    return std::nullopt;
#endif
}

bool Remove(const StoreLocation& location) {
#ifdef TB_HAVE_LIBSECRET
    if (!Available())
        return true;
    GError* failure = nullptr;
    secret_password_clear_sync(Schema(), nullptr, &failure, "host", location.host.c_str(), "port",
                               location.port, "database", location.database.c_str(), "user",
                               location.user.c_str(), nullptr);
    if (failure) {
        g_error_free(failure);
        return false;
    }
    return true;
#else
    (void)location;
    return true;
#endif
}

} // namespace PasswordKeyring
