#include "server_address.h"

#include <pwd.h>
#include <unistd.h>

#include <QFileInfo>
#include <QRegularExpression>
#include <array>

#include "record_error.h"

namespace record {
namespace {

const QString SystemCertificates = QStringLiteral("/etc/ssl/certs/ca-certificates.crt");

[[noreturn]] void malformed(const std::string& why) {
  throw RecordError("Die Adresse des Team-Records ist fehlerhaft: " + why + ".");
}

[[noreturn]] void refusePassword() {
  throw RecordError(
      "Die Adresse des Team-Records enthält ein Passwort; sie wird nicht verwendet und hier nicht "
      "wiederholt. Das Passwort gehört in ~/.pgpass (oder die Datei, die PGPASSFILE nennt), "
      "die Adresse nur mit Benutzer: postgresql://BENUTZER@SERVER/DATENBANK.");
}

bool isHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

QString decoded(const QString& part) {
  const QByteArray bytes = part.toUtf8();
  QByteArray text;
  for (qsizetype i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '%') {
      text += bytes[i];
      continue;
    }
    if (i + 2 >= bytes.size() || !isHexDigit(bytes[i + 1]) || !isHexDigit(bytes[i + 2]))
      malformed("„%“ muss zwei Hexadezimalziffern einleiten (%2F für „/“)");
    const char value = static_cast<char>(bytes.mid(i + 1, 2).toInt(nullptr, 16));
    if (value == '\0') malformed("%00 ist kein Zeichen");
    text += value;
    i += 2;
  }
  return QString::fromUtf8(text);
}

// The folder libpq 15 takes as home: the user's entry in the password database, not $HOME.
QString homeFolder() {
  passwd entry{};
  passwd* found = nullptr;
  std::array<char, 4096> buffer{};
  if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found) return {};
  return QFile::decodeName(found->pw_dir);
}

// Where the text ends at the first of stops, from at on.
qsizetype endOf(const QString& text, qsizetype at, QStringView stops) {
  while (at < text.size() && !stops.contains(text[at])) ++at;
  return at;
}

class Parameters {
 public:
  void store(const QString& keyword, const QString& value) {
    for (auto& [key, old] : list_) {
      if (key == keyword) {
        old = value;
        return;
      }
    }
    list_.emplace_back(keyword, value);
  }
  ServerAddress address() const { return {list_}; }

 private:
  std::vector<std::pair<QString, QString>> list_;
};

// host[:port] or [IPv6][:port], separated by commas, up to "/" or "?".
qsizetype readHosts(const QString& rest, qsizetype at, Parameters& parameters) {
  QStringList hosts, ports;
  for (;;) {
    qsizetype end = 0;
    if (at < rest.size() && rest[at] == u'[') {
      end = rest.indexOf(u']', at);
      if (end < 0) malformed("einer IPv6-Adresse fehlt die schließende Klammer „]“");
      if (end == at + 1) malformed("die IPv6-Adresse in „[]“ ist leer");
      hosts << decoded(rest.mid(at + 1, end - at - 1));
      ++end;
      if (end < rest.size() && !QStringView(u":/?,").contains(rest[end]))
        malformed("nach einer IPv6-Adresse in „[…]“ folgt nur „:“, „/“, „?“ oder „,“");
    } else {
      end = endOf(rest, at, u":/?,");
      hosts << decoded(rest.mid(at, end - at));
    }
    at = end;
    QString port;
    if (at < rest.size() && rest[at] == u':') {
      end = endOf(rest, at + 1, u"/?,");
      port = decoded(rest.mid(at + 1, end - at - 1));
      at = end;
    }
    ports << port;
    if (at == rest.size() || rest[at] != u',') break;
    ++at;
  }
  if (!hosts.join(u',').isEmpty()) parameters.store(QStringLiteral("host"), hosts.join(u','));
  if (!ports.join(u',').isEmpty()) parameters.store(QStringLiteral("port"), ports.join(u','));
  return at;
}

void readQuery(const QString& query, Parameters& parameters) {
  if (query.isEmpty()) return;
  for (const QString& pair : query.split(u'&')) {
    const QStringList parts = pair.split(u'=');
    if (parts.size() != 2 || parts[0].isEmpty())
      malformed("nach „?“ folgen Angaben der Form NAME=WERT, getrennt durch „&“");
    const QString keyword = decoded(parts[0]);
    if (keyword == QLatin1String("password")) refusePassword();
    // libpq's keywords are such words; anything else would break the options handed on.
    static const QRegularExpression word(QStringLiteral("^[a-z_][a-z0-9_]*$"));
    if (!word.match(keyword).hasMatch())
      malformed("nach „?“ stehen libpqs Angaben wie sslmode=verify-full");
    const QString value = decoded(parts[1]);
    if (keyword == QLatin1String("ssl")) {
      if (value != QLatin1String("true")) malformed("ssl kennt nur den Wert true");
      parameters.store(QStringLiteral("sslmode"), QStringLiteral("require"));
    } else {
      parameters.store(keyword, value);
    }
  }
}

}  // namespace

bool IsServerAddress(const QString& where) {
  return where.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
         where.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

QString ServerAddress::value(const QString& keyword) const {
  for (const auto& [key, value] : parameters) {
    if (key == keyword) return value;
  }
  return {};
}

ServerAddress ParseServerAddress(const QString& address) {
  if (!IsServerAddress(address)) malformed("sie beginnt nicht mit postgresql://");
  const QString rest = address.mid(address.indexOf(QLatin1String("://")) + 3);
  Parameters parameters;
  // The credentials end at an "@" before the first "/"; a ":" in them sets a password off.
  qsizetype at = endOf(rest, 0, u"@/");
  if (at < rest.size() && rest[at] == u'@') {
    const QString credentials = rest.left(at);
    if (credentials.contains(u':')) refusePassword();
    if (!credentials.isEmpty()) parameters.store(QStringLiteral("user"), decoded(credentials));
    ++at;
  } else {
    at = 0;
  }
  at = readHosts(rest, at, parameters);
  if (at < rest.size() && rest[at] == u'/') {
    const qsizetype end = endOf(rest, at + 1, u"?");
    const QString database = decoded(rest.mid(at + 1, end - at - 1));
    if (!database.isEmpty()) parameters.store(QStringLiteral("dbname"), database);
    at = end;
  }
  if (at < rest.size()) readQuery(rest.mid(at + 1), parameters);

  ServerAddress parsed = parameters.address();
  const auto unset = [&](const char* keyword, const char* environment) {
    return parsed.value(QLatin1String(keyword)).isEmpty() &&
           (environment == nullptr || qEnvironmentVariableIsEmpty(environment));
  };
  if (unset("connect_timeout", "PGCONNECT_TIMEOUT"))
    parameters.store(QStringLiteral("connect_timeout"), QStringLiteral("10"));
  if (unset("fallback_application_name", nullptr))
    parameters.store(QStringLiteral("fallback_application_name"), QStringLiteral("quantelo"));
  const QString mode = parsed.value(QStringLiteral("sslmode")).isEmpty()
                           ? qEnvironmentVariable("PGSSLMODE")
                           : parsed.value(QStringLiteral("sslmode"));
  if ((mode == QLatin1String("verify-ca") || mode == QLatin1String("verify-full")) &&
      unset("sslrootcert", "PGSSLROOTCERT") &&
      !QFileInfo::exists(homeFolder() + QStringLiteral("/.postgresql/root.crt"))) {
    parameters.store(QStringLiteral("sslrootcert"), SystemCertificates);
  }
  return parameters.address();
}

}  // namespace record
