// Demo content for a new installation: customer and news types, sixty customers in five
// countries, newsletters with merge tags, two HTML leads, two rating surveys with returned
// answers, and one campaign of each kind. Everything is generated deterministically from
// small tables, with dates counted back from the program's "today".

#include "shell/DatabaseCreator.h"

#include "platform/AppError.h"
#include "base/ProgramState.h"
#include "platform/Connection.h"
#include "platform/DateText.h"
#include "platform/Recordset.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <initializer_list>
#include <utility>

namespace {

// ---------------------------------------------------------------------------------------
// Statement building

QString sqlText(const QString& text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// One column value of an INSERT: numbers go in as they are, everything else as quoted text.
struct Value {
    QString sql;
    Value(int number) : sql(QString::number(number)) {}
    Value(qint64 number) : sql(QString::number(number)) {}
    Value(const QString& text) : sql(sqlText(text)) {}
    Value(const char* text) : sql(sqlText(QString::fromUtf8(text))) {}
    Value(const QDate& date) : sql(sqlText(DateText::toIso(date))) {}
};

void insert(Connection& c, const char* table, std::initializer_list<std::pair<const char*, Value>> columns)
{
    QStringList names, values;
    for (const auto& [name, value] : columns) {
        names << QString::fromLatin1(name);
        values << value.sql;
    }
    c.execute(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                  .arg(QString::fromLatin1(table), names.join(QStringLiteral(", ")),
                       values.join(QStringLiteral(", "))));
}

// The EId of the row just inserted into table (the highest one).
qint64 lastId(Connection& c, const char* table)
{
    Recordset r;
    r.open(QStringLiteral("Select Max(EId) From %1").arg(QString::fromLatin1(table)), c, CursorType::Static,
           LockType::ReadOnly);
    const qint64 id = r.eof() ? 0 : r.field(0).value().toLongLong();
    r.close();
    if (id <= 0)
        throw AppError(DbErrors::General, QStringLiteral("DemoData"),
                       QStringLiteral("No row was stored in %1").arg(QString::fromLatin1(table)));
    return id;
}

QString u(const char* text) { return QString::fromUtf8(text); }

// ---------------------------------------------------------------------------------------
// Deterministic "random" digits and letters

quint32 mix(quint32 seed)
{
    seed ^= seed >> 16;
    seed *= 0x7feb352dU;
    seed ^= seed >> 15;
    seed *= 0x846ca68bU;
    seed ^= seed >> 16;
    return seed;
}

// Replaces each '#' of pattern with a digit and each '@' with a letter. A digit that starts a
// group (after a blank or a letter) is never 0 or 1, as in real numbers and postcodes.
QString fillPattern(const char* pattern, quint32 seed)
{
    static const char letters[] = "ABDEFGHJLNPQRSTUWXY";
    QString out = QString::fromUtf8(pattern);
    quint32 state = mix(seed + 0x9e3779b9U);
    for (int i = 0; i < out.size(); ++i) {
        state = mix(state + quint32(i) * 2654435761U);
        if (out[i] == QLatin1Char('#')) {
            const bool groupStart = i > 0 && (out[i - 1] == QLatin1Char(' ') || out[i - 1].isLetter());
            const int digit = groupStart ? 2 + int(state % 8) : int(state % 10);
            out[i] = QLatin1Char(char('0' + digit));
        } else if (out[i] == QLatin1Char('@')) {
            out[i] = QLatin1Char(letters[state % (sizeof(letters) - 1)]);
        }
    }
    return out;
}

// Lower-case ASCII form of a name, for e-mail addresses and web addresses.
QString asciiSlug(const QString& text, QChar blank)
{
    const QString plain = text.normalized(QString::NormalizationForm_KD);
    QString out;
    for (QChar ch : plain) {
        if (ch == QChar(0x00DF)) { // sharp s has no decomposition
            out += QStringLiteral("ss");
        } else if (ch.unicode() < 128 && ch.isLetterOrNumber()) {
            out += ch.toLower();
        } else if ((ch == QLatin1Char(' ') || ch == QLatin1Char('-') || ch == QLatin1Char('&')) && !blank.isNull()
                   && !out.isEmpty() && !out.endsWith(blank)) {
            out += blank;
        }
    }
    while (!blank.isNull() && out.endsWith(blank))
        out.chop(1);
    return out;
}

// ---------------------------------------------------------------------------------------
// Customers

struct Person {
    const char* first;
    const char* last;
    bool female;
};

struct City {
    const char* name;
    const char* state;
    const char* zipPattern;
    const char* phonePattern;
};

struct Country {
    const char* name;
    const char* mobilePattern;
    bool numberFirst; // "12 High Street" rather than "Hauptstraße 12"
    Person people[12];
    const char* companies[12];
    City cities[4];
    const char* streets[8];
    const char* secondLines[6]; // "%1" becomes a small number
};

const Country countries[] = {
    {"United Kingdom",
     "+44 7700 900###",
     true,
     {{"James", "Hartley", false},    {"Sarah", "Whitfield", true},  {"Oliver", "Bennett", false},
      {"Emily", "Clarke", true},      {"Thomas", "Gardner", false},  {"Charlotte", "Hughes", true},
      {"Daniel", "Fletcher", false},  {"Hannah", "Price", true},     {"Matthew", "Shaw", false},
      {"Rebecca", "Lawson", true},    {"Andrew", "Pearce", false},   {"Lucy", "Holloway", true}},
     {"Northgate Interiors Ltd", "Whitfield Garden Supplies", "Bennett Office Solutions",
      "Clarke & Gardner Bakery", "Riverside Print Works", "Pennine Outdoor Gear Ltd",
      "Fletcher Electrical Services", "Price Family Pharmacy", "Shaw Logistics Ltd", "Lawson Hotel Group",
      "Pearce Building Supplies", "Holloway Florists"},
     {{"London", "Greater London", "EC1V #@@", "+44 20 7946 0###"},
      {"Manchester", "Greater Manchester", "M# #@@", "+44 161 496 0###"},
      {"Bristol", "Avon", "BS# #@@", "+44 117 496 0###"},
      {"Leeds", "West Yorkshire", "LS# #@@", "+44 113 496 0###"}},
     {"High Street", "Station Road", "Church Lane", "Victoria Road", "Mill Lane", "Park Avenue", "King Street",
      "Queens Road"},
     {"Suite %1", "Unit %1", "First Floor", "Riverside House", "Building %1", "The Old Mill"}},
    {"Ireland",
     "+353 87 ### ####",
     true,
     {{"Sean", "Murphy", false},      {"Aoife", "Kelly", true},      {"Ciaran", "Byrne", false},
      {"Niamh", "Walsh", true},       {"Patrick", "Doyle", false},   {"Siobhan", "Ryan", true},
      {"Declan", "Brennan", false},   {"Orla", "Gallagher", true},   {"Eoin", "Kavanagh", false},
      {"Maeve", "Fitzgerald", true},  {"Conor", "Lynch", false},     {"Grainne", "Dunne", true}},
     {"Liffey Wholesale Foods", "Kelly Craft Studio", "Byrne Hardware Ltd", "Atlantic Seafoods",
      "Doyle Accountancy", "Ryan Home Furnishings", "Brennan Motors", "Gallagher & Co Solicitors",
      "Shannon Bike Hire", "Fitzgerald Pharmacy", "Lynch Catering Ltd", "Emerald Office Supplies"},
     {{"Dublin", "County Dublin", "D0# @###", "+353 1 ### ####"},
      {"Cork", "County Cork", "T12 @###", "+353 21 ### ####"},
      {"Galway", "County Galway", "H91 @###", "+353 91 ### ####"},
      {"Limerick", "County Limerick", "V94 @###", "+353 61 ### ####"}},
     {"Main Street", "Church Road", "Bridge Street", "Castle Street", "Mill Road", "Harbour Road",
      "Market Square", "Green Lane"},
     {"Unit %1", "Second Floor", "Block %1", "Apartment %1", "Enterprise Park", "Dock House"}},
    {"France",
     "+33 6 ## ## ## ##",
     true,
     {{"Julien", "Moreau", false},    {"Camille", "Lefèvre", true},  {"Nicolas", "Girard", false},
      {"Élodie", "Fournier", true},   {"Antoine", "Mercier", false}, {"Claire", "Dubois", true},
      {"Mathieu", "Lambert", false},  {"Sophie", "Bonnet", true},    {"Laurent", "Fontaine", false},
      {"Isabelle", "Rousseau", true}, {"Pierre", "Chevalier", false}, {"Hélène", "Garnier", true}},
     {"Boulangerie Moreau", "Atelier Lefèvre", "Girard Transports SARL", "Fournier Fleurs",
      "Mercier Électricité", "Librairie Dubois", "Lambert Vins et Spiritueux", "Bonnet Coiffure",
      "Fontaine Immobilier", "Rousseau Textiles SA", "Chevalier Informatique", "Garnier Optique"},
     {{"Paris", "Île-de-France", "7501#", "+33 1 ## ## ## ##"},
      {"Lyon", "Rhône", "6900#", "+33 4 ## ## ## ##"},
      {"Bordeaux", "Gironde", "33#00", "+33 5 ## ## ## ##"},
      {"Nantes", "Loire-Atlantique", "44#00", "+33 2 ## ## ## ##"}},
     {"rue de la République", "avenue Victor Hugo", "rue Nationale", "boulevard Pasteur", "rue du Commerce",
      "place de la Mairie", "rue des Lilas", "avenue Jean Jaurès"},
     {"Bâtiment %1", "%1e étage", "Zone Artisanale", "Résidence Les Pins", "Cour intérieure", "Entrée %1"}},
    {"Germany",
     "+49 151 ########",
     false,
     {{"Markus", "Becker", false},    {"Julia", "Hoffmann", true},   {"Stefan", "Wagner", false},
      {"Katrin", "Schulz", true},     {"Andreas", "Koch", false},    {"Sabine", "Richter", true},
      {"Tobias", "Klein", false},     {"Anna", "Wolf", true},        {"Florian", "Schröder", false},
      {"Laura", "Neumann", true},     {"Michael", "Braun", false},   {"Petra", "Zimmermann", true}},
     {"Becker Bürobedarf GmbH", "Hoffmann Gartenbau", "Wagner Elektrotechnik", "Schulz Feinkost",
      "Druckerei Koch", "Richter Apotheke", "Klein Logistik GmbH", "Möbelhaus Wolf", "Schröder Bau GmbH",
      "Neumann Reisen", "Autohaus Braun", "Zimmermann Optik"},
     {{"Berlin", "Berlin", "10###", "+49 30 #######"},
      {"Hamburg", "Hamburg", "20###", "+49 40 #######"},
      {"Munich", "Bavaria", "80###", "+49 89 #######"},
      {"Cologne", "Nordrhein-Westfalen", "50###", "+49 221 #######"}},
     {"Hauptstraße", "Bahnhofstraße", "Schillerstraße", "Gartenweg", "Lindenallee", "Marktplatz",
      "Goethestraße", "Kirchgasse"},
     {"%1. Obergeschoss", "Hinterhaus", "Gebäude %1", "Gewerbepark Nord", "Haus %1", "Eingang B"}},
    {"Netherlands",
     "+31 6 #### ####",
     false,
     {{"Jeroen", "de Vries", false},  {"Sanne", "Bakker", true},     {"Pieter", "van Dijk", false},
      {"Lotte", "Jansen", true},      {"Daan", "Visser", false},     {"Femke", "Smit", true},
      {"Bram", "Meijer", false},      {"Eva", "de Boer", true},      {"Ruben", "Mulder", false},
      {"Iris", "de Groot", true},     {"Thijs", "Bos", false},       {"Anouk", "Vos", true}},
     {"De Vries Bloemen", "Bakker Brood & Banket", "Van Dijk Installatietechniek", "Jansen Kantoorartikelen",
      "Visser Fietsen", "Smit Transport BV", "Meijer Koffiebranderij", "De Boer Interieur", "Mulder Drukwerk",
      "De Groot Makelaars", "Bos Tuincentrum", "Vos Optiek"},
     {{"Amsterdam", "Noord-Holland", "10## @@", "+31 20 ### ####"},
      {"Rotterdam", "Zuid-Holland", "30## @@", "+31 10 ### ####"},
      {"Utrecht", "Utrecht", "35## @@", "+31 30 ### ####"},
      {"The Hague", "Zuid-Holland", "25## @@", "+31 70 ### ####"}},
     {"Keizersgracht", "Kerkstraat", "Stationsweg", "Dorpsstraat", "Molenweg", "Prinsengracht", "Nieuwstraat",
      "Julianalaan"},
     {"%1e verdieping", "Unit %1", "Bedrijvenpark Oost", "Gebouw %1", "Achterhuis", "Ingang Zuid"}},
};

// The customer types, in the order they are stored; the pattern below gives each country the
// same mix of 5 retail, 3 wholesale, 2 partner and 2 prospect customers.
const int typePattern[12] = {0, 1, 0, 2, 0, 3, 1, 0, 2, 0, 1, 3};

const char* const remarks[] = {
    "Prefers contact by e-mail",
    "Met at the spring trade fair",
    "Contract renewal due in May",
    "Interested in volume pricing",
    "Referred by an existing partner",
    "Asked for the new catalogue",
    "Pays by direct debit",
    "Visit planned next quarter",
    "Orders mainly before Christmas",
    "Call after 10 am",
    "Receives the monthly bulletin",
    "Key account, handled by the owner",
};

const char* const domains[] = {"example.com", "example.org", "example.net"};

void fillCustomers(Connection& c, const qint64 typeIds[4], const QDate& today)
{
    const int perCountry = 12;
    const int countryCount = int(sizeof(countries) / sizeof(countries[0]));
    const int total = perCountry * countryCount;
    for (int n = 0; n < total; ++n) {
        // Interleave the countries so that neighbouring records differ.
        const int k = n % countryCount;
        const int i = n / countryCount;
        const Country& country = countries[k];
        const Person& person = country.people[i];
        const City& city = country.cities[(i + k) % 4];
        const quint32 seed = quint32(n * 97 + 13);

        QString title = person.female ? (i % 4 == 1 ? u("Mrs") : u("Ms")) : u("Mr");
        if (n % 9 == 4)
            title = u("Dr");

        const int houseNumber = 1 + int(mix(seed) % 148);
        const QString street = u(country.streets[(i * 3 + k) % 8]);
        const QString address1 = country.numberFirst ? QStringLiteral("%1 %2").arg(houseNumber).arg(street)
                                                     : QStringLiteral("%1 %2").arg(street).arg(houseNumber);
        QString address2 = u(country.secondLines[(i + 2 * k) % 6]);
        if (address2.contains(QLatin1String("%1")))
            address2 = address2.arg(2 + int(mix(seed + 5) % 7));

        const QString first = u(person.first);
        const QString last = u(person.last);
        const QString company = u(country.companies[i]);
        const QString email = asciiSlug(first, QChar()) + QLatin1Char('.') + asciiSlug(last, QChar()) + QLatin1Char('@')
                              + QLatin1String(domains[n % 3]);
        const QString website = (QStringLiteral("www.") + QLatin1String(domains[(n + 1) % 3]) + QLatin1Char('/')
                                 + asciiSlug(company, QLatin1Char('-')))
                                    .left(50);

        const bool active = n % 11 != 7;
        const QString remark = active ? u(remarks[(n * 7) % 12]) : u("No orders since last year");

        insert(c, "ktCustomer",
               {{"EDate", today.addDays(-((total - n) * 6 + n % 5))},
                {"CTitle", title},
                {"CFirst", first},
                {"CLast", last},
                {"CCompany", company},
                {"CAddr1", address1},
                {"CAddr2", address2},
                {"CCity", u(city.name)},
                {"CState", u(city.state)},
                {"CCountry", u(country.name)},
                {"CZipCode", fillPattern(city.zipPattern, seed + 1)},
                {"CTelOff", fillPattern(city.phonePattern, seed + 2)},
                {"CTelHome", fillPattern(city.phonePattern, seed + 3)},
                {"CTelMob", fillPattern(country.mobilePattern, seed + 4)},
                {"CFax", fillPattern(city.phonePattern, seed + 6)},
                {"CEmail", email},
                {"CWebsite", website},
                {"CType", typeIds[typePattern[i]]},
                {"CActive", active ? "Y" : "N"},
                {"CRemarks", remark}});
    }
}

// ---------------------------------------------------------------------------------------
// Newsletters, leads and surveys

const char* const springNews =
    "Dear <<CTitle>> <<CLast>>,\n"
    "\n"
    "Our new spring catalogue has arrived, and we have set a printed copy aside for <<CCompany>>.\n"
    "\n"
    "This season brings more than eighty new products, a wider range of recycled materials and\n"
    "simpler prices for repeat orders. Everything in the catalogue can be delivered to <<CCity>>\n"
    "within five working days.\n"
    "\n"
    "To receive your copy by post, simply reply to this message. If you would rather browse\n"
    "online, the full catalogue is on our website.\n"
    "\n"
    "With kind regards,\n"
    "\n"
    "Margaret Quinn\n"
    "Customer Relations, Korvina Trading Company";

const char* const loyaltyNews =
    "Dear <<CTitle>> <<CLast>>,\n"
    "\n"
    "Thank you for the trust <<CCompany>> has placed in us over the past year.\n"
    "\n"
    "As a thank-you, every order placed before the end of next month receives a loyalty\n"
    "discount of 8 percent, on top of your usual terms. There is no code to remember: the\n"
    "discount is applied to your account automatically.\n"
    "\n"
    "Your account manager will be in <<CCity>> during the coming weeks and would be glad to\n"
    "call in and show you the new ranges in person.\n"
    "\n"
    "Best wishes,\n"
    "\n"
    "David Okafor\n"
    "Sales Manager, Korvina Trading Company";

const char* const deliveryNews =
    "Dear <<CFirst>>,\n"
    "\n"
    "From the first of next month our delivery rounds change. Customers in <<CCity>> will\n"
    "receive deliveries on Tuesdays and Fridays, and orders placed before 2 pm are packed\n"
    "the same day.\n"
    "\n"
    "Our trade counter also opens earlier: Monday to Friday from 7.30 am to 6 pm, and on\n"
    "Saturdays from 9 am to 1 pm.\n"
    "\n"
    "If the new days do not suit <<CCompany>>, please reply to this message and we will\n"
    "find another slot for you.\n"
    "\n"
    "Kind regards,\n"
    "\n"
    "The Korvina dispatch team";

const char* const launchLead = R"HTML(<html>
<head><title>Introducing the Harbour Collection</title></head>
<body style="margin:0; padding:0; background-color:#eef2f5; font-family:Arial, Helvetica, sans-serif;">
<table width="100%" cellpadding="0" cellspacing="0" border="0" bgcolor="#eef2f5">
<tr><td align="center" style="padding:24px 12px;">
<table width="600" cellpadding="0" cellspacing="0" border="0" bgcolor="#ffffff" style="border:1px solid #d5dde5;">
<tr><td bgcolor="#1f4e79" style="padding:28px 32px; color:#ffffff;">
<p style="margin:0; font-size:13px; letter-spacing:2px; color:#bcd3ea;">KORVINA TRADING COMPANY</p>
<h1 style="margin:8px 0 0 0; font-size:28px; color:#ffffff;">Introducing the Harbour Collection</h1>
</td></tr>
<tr><td style="padding:28px 32px; font-size:15px; line-height:22px; color:#333333;">
<p style="margin:0 0 14px 0;">Dear customer,</p>
<p style="margin:0 0 14px 0;">After a year of design work with our makers in Bristol and Porto, we are proud to present
the <b>Harbour Collection</b>: hard-wearing furniture and storage for shops, studios and offices,
built from reclaimed oak and recycled steel.</p>
<table width="100%" cellpadding="0" cellspacing="0" border="0" style="margin:8px 0 18px 0;">
<tr>
<td width="33%" valign="top" style="padding:12px; background-color:#f3f7fb; border-top:3px solid #2e75b6;">
<b style="color:#1f4e79;">Made to last</b><br><span style="font-size:13px;">Ten-year guarantee on every frame.</span></td>
<td width="33%" valign="top" style="padding:12px; background-color:#f3f7fb; border-top:3px solid #2e75b6;">
<b style="color:#1f4e79;">Fast delivery</b><br><span style="font-size:13px;">Most items ship within five days.</span></td>
<td width="33%" valign="top" style="padding:12px; background-color:#f3f7fb; border-top:3px solid #2e75b6;">
<b style="color:#1f4e79;">Launch price</b><br><span style="font-size:13px;">15 percent off until the end of the month.</span></td>
</tr>
</table>
<p style="margin:0 0 22px 0;">See the full range, with sizes and finishes, in our online showroom.</p>
<table cellpadding="0" cellspacing="0" border="0" align="center"><tr>
<td bgcolor="#2e75b6" style="padding:12px 28px;">
<a href="https://www.example.com/harbour" style="color:#ffffff; font-weight:bold; text-decoration:none;">Visit the showroom</a>
</td></tr></table>
</td></tr>
<tr><td bgcolor="#f3f5f7" style="padding:18px 32px; font-size:12px; color:#777777;">
Korvina Trading Company, 1 Harbour Street, Bristol, United Kingdom<br>
You receive this letter as a customer of Korvina. Reply to this message to stop receiving our letters.
</td></tr>
</table>
</td></tr>
</table>
</body>
</html>
)HTML";

const char* const clearanceLead = R"HTML(<html>
<head><title>Winter clearance</title></head>
<body style="margin:0; padding:0; background-color:#faf6f0; font-family:Georgia, Times, serif;">
<table width="100%" cellpadding="0" cellspacing="0" border="0" bgcolor="#faf6f0">
<tr><td align="center" style="padding:24px 12px;">
<table width="600" cellpadding="0" cellspacing="0" border="0" bgcolor="#ffffff" style="border:1px solid #e6dccd;">
<tr><td align="center" bgcolor="#8c2f39" style="padding:30px 24px; color:#ffffff;">
<h1 style="margin:0; font-size:34px; color:#ffffff;">Winter Clearance</h1>
<p style="margin:8px 0 0 0; font-size:16px; color:#f6d9dc;">Up to 40 percent off selected lines, while stocks last</p>
</td></tr>
<tr><td style="padding:26px 32px; font-size:15px; line-height:22px; color:#3a3a3a;">
<p style="margin:0 0 14px 0;">We are making room for the new season, and our warehouse team has put together
a list of end-of-line products at the lowest prices of the year.</p>
<table width="100%" cellpadding="8" cellspacing="0" border="0" style="border-collapse:collapse; font-size:14px;">
<tr bgcolor="#f2e8df"><td><b>Product</b></td><td align="right"><b>Was</b></td><td align="right"><b>Now</b></td></tr>
<tr><td style="border-bottom:1px solid #eee4da;">Oak display shelving, 180 cm</td>
<td align="right" style="border-bottom:1px solid #eee4da;">249.00</td>
<td align="right" style="border-bottom:1px solid #eee4da; color:#8c2f39;"><b>159.00</b></td></tr>
<tr><td style="border-bottom:1px solid #eee4da;">Steel storage cabinet, grey</td>
<td align="right" style="border-bottom:1px solid #eee4da;">189.00</td>
<td align="right" style="border-bottom:1px solid #eee4da; color:#8c2f39;"><b>129.00</b></td></tr>
<tr><td style="border-bottom:1px solid #eee4da;">Counter stool, set of four</td>
<td align="right" style="border-bottom:1px solid #eee4da;">320.00</td>
<td align="right" style="border-bottom:1px solid #eee4da; color:#8c2f39;"><b>199.00</b></td></tr>
<tr><td>Recycled paper bags, 500 pieces</td>
<td align="right">48.00</td>
<td align="right" style="color:#8c2f39;"><b>29.00</b></td></tr>
</table>
<p style="margin:18px 0 0 0;">Prices are in euros and pounds at the same figures, excluding VAT. To order,
reply to this message or call your account manager. Orders are filled in the order they arrive.</p>
</td></tr>
<tr><td bgcolor="#f2e8df" style="padding:16px 32px; font-size:12px; color:#7a6a5a;">
Korvina Trading Company, 1 Harbour Street, Bristol, United Kingdom<br>
Offer valid until the end of the month or while stocks last.
</td></tr>
</table>
</td></tr>
</table>
</body>
</html>
)HTML";

struct Survey {
    const char* name;
    const char* message;
    const char* link;
    const char* queries[10];
    const char* remarks;
};

const Survey surveys[] = {
    {"Customer Satisfaction Survey",
     "Thank you for buying from Korvina. Please rate each statement from 1 (low) to 10 (high). "
     "The survey takes about three minutes, and every answer helps us serve you better.",
     "https://www.example.com/surveys/satisfaction.htm",
     {"How satisfied are you with the quality of our products?",
      "How well does our product range meet the needs of your business?",
      "How fair do you find our prices compared with other suppliers?",
      "How easy is it to place an order with us?",
      "How satisfied are you with our delivery times?",
      "How would you rate the condition of goods on arrival?",
      "How helpful is your account manager?",
      "How quickly do we answer your questions and complaints?",
      "How clear and accurate are our invoices?",
      "How likely are you to recommend Korvina to a colleague?"},
     "Sent twice a year"},
    {"Delivery and Service Survey",
     "We have changed our delivery rounds and opened our trade counter earlier. "
     "Please tell us how the changes work for you, from 1 (poor) to 10 (excellent).",
     "https://www.example.com/surveys/delivery.htm",
     {"How convenient are the new delivery days for you?",
      "How punctual were our drivers on their last visits?",
      "How would you rate the friendliness of our drivers?",
      "How well were your goods packed?",
      "How complete were your recent deliveries?",
      "How useful are the new trade counter opening hours?",
      "How easy is it to change or cancel a delivery?",
      "How well do we keep you informed about delays?",
      "How satisfied are you with the handling of returns?",
      "Overall, how satisfied are you with our service?"},
     "After route change"},
};

// Returned questionnaires: survey index, the ten ratings and a remark.
struct Returned {
    int survey;
    int answers[10];
    const char* remarks;
};

const Returned returned[] = {
    {0, {9, 8, 7, 9, 8, 9, 10, 8, 9, 9}, "Returned by e-mail"},
    {0, {7, 7, 5, 8, 6, 7, 8, 6, 7, 7}, "Web form"},
    {0, {10, 9, 8, 10, 9, 10, 10, 9, 10, 10}, "Trade fair stand"},
    {0, {6, 7, 4, 7, 5, 8, 6, 5, 8, 6}, "Phone interview"},
    {0, {8, 9, 6, 9, 7, 8, 9, 7, 8, 8}, "Returned by e-mail"},
    {0, {3, 5, 2, 6, 4, 5, 6, 3, 7, 2}, "Complaint follow-up"},
    {1, {8, 9, 10, 8, 9, 7, 6, 5, 7, 8}, "Web form"},
    {1, {6, 7, 9, 9, 8, 10, 5, 4, 6, 7}, "Returned by e-mail"},
    {1, {9, 10, 10, 9, 10, 8, 8, 7, 9, 9}, "Driver handed out"},
    {1, {4, 6, 8, 7, 5, 9, 3, 2, 5, 5}, "Phone interview"},
    {1, {7, 8, 9, 8, 8, 0, 7, 6, 8, 8}, "Counter not used"},
};

} // namespace

namespace DemoData {

void fill(Connection& c)
{
    const QDate today = state().clock.today();

    // Customer and news types
    const struct { const char* category; const char* remarks; } custTypes[] = {
        {"Retail", "Shops and consumers"},
        {"Wholesale", "Bulk trade buyers"},
        {"Partner", "Resellers and agents"},
        {"Prospect", "Leads to follow up"},
    };
    qint64 typeIds[4];
    for (int t = 0; t < 4; ++t) {
        insert(c, "kmCustType",
               {{"EDate", today.addDays(-420 + t)}, {"CCategory", custTypes[t].category},
                {"CRemarks", custTypes[t].remarks}});
        typeIds[t] = lastId(c, "kmCustType");
    }
    insert(c, "kmNewsType", {{"EDate", today.addDays(-420)}, {"NCategory", "Bulletin"}, {"NRemarks", "Regular news"}});
    const qint64 bulletin = lastId(c, "kmNewsType");
    insert(c, "kmNewsType", {{"EDate", today.addDays(-419)}, {"NCategory", "Offer"}, {"NRemarks", "Promotions"}});
    const qint64 offer = lastId(c, "kmNewsType");

    fillCustomers(c, typeIds, today);

    // Newsletters
    insert(c, "ktNews",
           {{"EDate", today.addDays(-75)}, {"NType", bulletin}, {"NReference", "Spring catalogue announcement"},
            {"NSubject", "Our new spring catalogue has arrived"}, {"NMessage", springNews},
            {"NRemarks", "Seasonal mailing"}});
    const qint64 firstNews = lastId(c, "ktNews");
    insert(c, "ktNews",
           {{"EDate", today.addDays(-40)}, {"NType", offer}, {"NReference", "Loyalty discount for regular customers"},
            {"NSubject", "A thank-you discount for your business"}, {"NMessage", loyaltyNews},
            {"NRemarks", "Trade customers"}});
    insert(c, "ktNews",
           {{"EDate", today.addDays(-12)}, {"NType", bulletin}, {"NReference", "New delivery days and opening hours"},
            {"NSubject", "New delivery days in your area"}, {"NMessage", deliveryNews},
            {"NRemarks", "Service change"}});

    // Leads
    insert(c, "ktLead",
           {{"EDate", today.addDays(-60)}, {"LReference", "Harbour Collection launch"},
            {"LSubject", "Introducing the Harbour Collection"}, {"LMessage", launchLead},
            {"LRemarks", "Product launch"}});
    const qint64 firstLead = lastId(c, "ktLead");
    insert(c, "ktLead",
           {{"EDate", today.addDays(-9)}, {"LReference", "Winter clearance offer"},
            {"LSubject", "Winter clearance: up to 40 percent off"}, {"LMessage", clearanceLead},
            {"LRemarks", "End of season"}});

    // Surveys and the questionnaires that came back
    qint64 surveyIds[2];
    for (int s = 0; s < 2; ++s) {
        const Survey& v = surveys[s];
        insert(c, "ktSurvey",
               {{"EDate", today.addDays(-50 + 20 * s)}, {"SType", "R"}, {"SCount", 10}, {"SName", v.name},
                {"SMessage", v.message}, {"SLink", v.link}, {"SQuery1", v.queries[0]}, {"SQuery2", v.queries[1]},
                {"SQuery3", v.queries[2]}, {"SQuery4", v.queries[3]}, {"SQuery5", v.queries[4]},
                {"SQuery6", v.queries[5]}, {"SQuery7", v.queries[6]}, {"SQuery8", v.queries[7]},
                {"SQuery9", v.queries[8]}, {"SQuery10", v.queries[9]}, {"SRemarks", v.remarks}});
        surveyIds[s] = lastId(c, "ktSurvey");
    }
    int day = -34;
    for (const Returned& r : returned) {
        const int* a = r.answers;
        insert(c, "ktSUpdate",
               {{"EDate", today.addDays(day)}, {"SSurveyId", surveyIds[r.survey]}, {"SAnswer1", a[0]},
                {"SAnswer2", a[1]}, {"SAnswer3", a[2]}, {"SAnswer4", a[3]}, {"SAnswer5", a[4]}, {"SAnswer6", a[5]},
                {"SAnswer7", a[6]}, {"SAnswer8", a[7]}, {"SAnswer9", a[8]}, {"SAnswer10", a[9]},
                {"SRemarks", r.remarks}});
        day += 3;
    }

    // One campaign of each kind
    insert(c, "ktSNews",
           {{"EDate", today.addDays(-74)}, {"SNewsId", firstNews}, {"SCType", typeIds[0]},
            {"SCriteria", " ( 1=1 )"}, {"SSentDate", today.addDays(-73)}, {"SRemarks", "Spring mailing"}});
    insert(c, "ktMLead",
           {{"EDate", today.addDays(-59)}, {"MLeadId", firstLead}, {"MCType", typeIds[1]},
            {"MCriteria", " ( CCountry = 'United Kingdom' )"}, {"MSentDate", today.addDays(-58)},
            {"MRemarks", "UK wholesale launch"}});
    insert(c, "ktESurvey",
           {{"EDate", today.addDays(-45)}, {"ESurveyId", surveyIds[0]}, {"ECType", typeIds[2]},
            {"ECriteria", " ( CActive = 'Y' )"}, {"ESentDate", today.addDays(-44)}, {"ERemarks", "Partner feedback"}});
}

}
