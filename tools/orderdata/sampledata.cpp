// The sample data generator. Every name here is made up; places are fictional towns
// in real states and countries so addresses look right in the screens and reports.
// Whatever changes in this file changes the sample data: tests compare two runs, not
// fixed values, so keep each draw's order stable when editing.
#include "tools/orderdata/sampledata.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace vorndata {

namespace {

struct Place {
    const char* city;
    const char* state;
    const char* country;
    const char* areaCode;
    double taxRate;
    bool usZip;
};

constexpr std::array<Place, 16> Places{{
    {"Port Ellery", "FL", "US", "941", 6.5, true},
    {"Kestrel Bay", "CA", "US", "805", 8.25, true},
    {"Saltmarsh", "SC", "US", "843", 6.0, true},
    {"Halden Key", "FL", "US", "305", 7.0, true},
    {"Marlow Beach", "HI", "US", "808", 4.5, true},
    {"Cedar Cove", "WA", "US", "360", 8.5, true},
    {"Brightwater", "TX", "US", "361", 6.25, true},
    {"Osprey Point", "NC", "US", "252", 7.5, true},
    {"Gullhaven", "ME", "US", "207", 5.5, true},
    {"Westhaven", "New Providence", "Bahamas", "242", 0, false},
    {"Coralton", "Belize District", "Belize", "501", 0, false},
    {"Port Aven", "Grand Cayman", "Cayman Islands", "345", 0, false},
    {"Lumley", "Western", "Fiji", "679", 0, false},
    {"St. Brenna", "Paget", "Bermuda", "441", 0, false},
    {"Driftmouth", "Queensland", "Australia", "617", 0, false},
    {"Vela Harbour", "Ontario", "Canada", "705", 0, false},
}};

constexpr std::array CompanyFirst{
    "Anchor", "Barracuda", "Blue", "Coral", "Dolphin", "Gull",     "Harbor", "Keel",
    "Kelp",   "Lagoon",    "Manta", "Mariner", "Neptune", "Ocean", "Pelican", "Reef",
    "Salt",   "Sandbar",   "Shoal", "Starfish", "Tide",   "Trident", "Wave",  "Whitecap"};
constexpr std::array CompanySecond{"Divers",   "Dive Shop",  "Scuba",   "Aquatics",
                                   "Outfitters", "Sports",   "Supply",  "Adventures",
                                   "Underwater", "Charters", "Dive Center", "Water Sports"};
constexpr std::array CompanySuffix{"", "", "", "Inc.", "Ltd.", "Co."};

constexpr std::array StreetName{"Harbor", "Bayview", "Coral",   "Palm",   "Ocean",     "Lighthouse",
                                "Marina", "Beacon",  "Seaside", "Driftwood", "Mangrove", "Pier"};
constexpr std::array StreetKind{"Rd", "St", "Ave", "Blvd", "Way", "Dr", "Ln"};

constexpr std::array FirstNames{"Ada",  "Bram", "Celia", "Dario", "Elin",  "Farid", "Greta", "Hugo",
                                "Ines", "Jonas", "Kira", "Leon",  "Mara",  "Nils",  "Orla",  "Pavel",
                                "Quinn", "Rosa", "Soren", "Tamsin", "Ulla", "Vito",  "Wren",  "Yara"};
constexpr std::array LastNames{"Abbot", "Brandt", "Castell", "Dunmore", "Eriks",  "Falk",
                               "Garrow", "Hollis", "Ivers",  "Jarl",    "Kemble", "Lorne",
                               "Marsh",  "Noble",  "Oakes",  "Penrose", "Quill",  "Rowan",
                               "Stroud", "Thorne", "Vance",  "Wilder",  "Yates"};

constexpr std::array VendorNames{"Deepline Gear", "Fathom Works",  "Kelpworks Ltd.", "Bluewater Tech",
                                 "Pressure Point", "Tidal Optics", "Harborline Mfg", "Seabright Co."};

struct PartKind {
    const char* name;
    int basePrice;  // whole currency units for the standard model
};
constexpr std::array<PartKind, 20> PartKinds{{
    {"Fins", 45},          {"Mask", 35},          {"Snorkel", 15},         {"Regulator", 320},
    {"Buoyancy Compensator", 410}, {"Wet Suit", 180}, {"Dry Suit", 650}, {"Dive Computer", 290},
    {"Depth Gauge", 75},   {"Compass", 40},       {"Tank", 210},           {"Weight Belt", 30},
    {"Dive Light", 60},    {"Knife", 25},         {"Gloves", 20},          {"Boots", 35},
    {"Hood", 28},          {"Camera Housing", 520}, {"Spear Gun", 140},    {"Pressure Gauge", 85},
}};
struct PartModel {
    const char* name;
    int pricePercent;
};
constexpr std::array<PartModel, 5> PartModels{{
    {"Standard", 100}, {"Sport", 85}, {"Compact", 95}, {"Pro", 160}, {"Deluxe", 220}}};

constexpr std::array ShipVias{"UPS", "UPS", "FedEx", "DHL", "US Mail", "Emery"};
constexpr std::array TermsList{"net 30", "net 30", "net 60", "COD", "FOB"};
constexpr std::array PaymentMethods{"Check", "Check", "Credit", "Visa", "MC", "AmEx", "Cash", "COD"};
constexpr std::array Discounts{5, 10, 15, 20};

QDateTime AtMidnight(QDate day)
{
    // UTC keeps midnight valid where a time-zone change falls on it.
    return QDateTime(day, QTime(0, 0), Qt::UTC);
}

QVariant Text(const QString& text)
{
    // Empty optional texts are stored as NULL, which the program reads as "".
    return text.isEmpty() ? QVariant() : QVariant(text);
}

QVariant Date(const QDateTime& date)
{
    return date.isValid() ? QVariant(date) : QVariant();
}

}  // namespace

double ExtPrice(int qty, double sellPrice, double discount)
{
    const long double a = static_cast<long double>(qty) * sellPrice;
    const long double b = 100.0L - discount;
    return static_cast<double>((a * b) / 100.0L);
}

double AmountDue(double itemsTotal, double taxRate, double freight, double amountPaid)
{
    const double taxTotal = static_cast<double>((static_cast<long double>(taxRate) / 100.0L) * itemsTotal);
    return static_cast<double>(((static_cast<long double>(taxTotal) + itemsTotal) + freight) - amountPaid);
}

QVariantList Row(const Customer& c)
{
    return {c.CustNo, c.Company, c.Addr1, Text(c.Addr2), c.City, Text(c.State), c.Zip, c.Country,
            c.Phone, Text(c.FAX), c.TaxRate, c.Contact, Date(c.LastInvoiceDate)};
}

QVariantList Row(const Vendor& v)
{
    return {v.VendorNo, v.VendorName, v.Address1, v.City, Text(v.State), v.Zip, v.Country, v.Phone,
            v.Preferred ? 1 : 0};
}

QVariantList Row(const Part& p)
{
    return {p.PartNo, p.Description, p.VendorNo, p.OnHand, p.OnOrder, p.Cost, p.ListPrice};
}

QVariantList Row(const Employee& e)
{
    return {e.EmpNo, e.LastName, e.FirstName, e.PhoneExt, Date(e.HireDate), e.Salary};
}

QVariantList Row(const Order& o)
{
    return {o.OrderNo,           o.CustNo,           Date(o.SaleDate),        Date(o.ShipDate),
            o.EmpNo,             Text(o.ShipToContact), Text(o.ShipToAddr1), Text(o.ShipToAddr2),
            Text(o.ShipToCity),  Text(o.ShipToState), Text(o.ShipToZip),    Text(o.ShipToCountry),
            Text(o.ShipToPhone), o.ShipVIA,          Text(o.PO),              o.Terms,
            o.PaymentMethod,     o.ItemsTotal,       o.TaxRate,               o.Freight,
            o.AmountPaid};
}

QVariantList Row(const Item& i)
{
    return {i.OrderNo, i.ItemNo, i.PartNo, i.Qty, i.Discount};
}

SampleGenerator::SampleGenerator(std::uint32_t seed, QDate today, std::int64_t orderCount)
    : FTableRng(seed), FOrderRng(seed ^ 0x9E3779B9u), FToday(today), FFirstDay(today.addYears(-3)),
      FOrderCount(orderCount)
{
    if (!today.isValid())
        throw std::invalid_argument("the reference day is not a valid date");
    if (orderCount < 0)
        throw std::invalid_argument("the order count is negative");
    MakeVendors();
    MakeParts();
    MakeEmployees();
    MakeCustomers();
}

std::uint32_t SampleGenerator::Below(std::uint32_t bound, std::mt19937& rng)
{
    // Rejection keeps every value equally likely, which a plain modulo would not.
    const std::uint64_t range = std::uint64_t(1) << 32;
    const std::uint64_t limit = range - range % bound;
    std::uint64_t value;
    do {
        value = static_cast<std::uint32_t>(rng());
    } while (value >= limit);
    return static_cast<std::uint32_t>(value % bound);
}

int SampleGenerator::Between(int low, int high, std::mt19937& rng)
{
    return low + static_cast<int>(Below(static_cast<std::uint32_t>(high - low + 1), rng));
}

bool SampleGenerator::Chance(int percent, std::mt19937& rng)
{
    return static_cast<int>(Below(100, rng)) < percent;
}

QString SampleGenerator::Phone(std::mt19937& rng, const QString& areaCode)
{
    return QString("%1-555-%2").arg(areaCode).arg(Between(100, 9999, rng), 4, 10, QChar('0'));
}

void SampleGenerator::MakeVendors()
{
    auto& rng = FTableRng;
    for (int i = 0; i < VendorCount; ++i) {
        const Place& place = Places[Below(9, rng)];  // vendors are domestic
        Vendor v;
        v.VendorNo = 2010 + 25 * i;
        v.VendorName = VendorNames[i];
        v.Address1 = QString("%1 %2 %3").arg(Between(10, 9900, rng)).arg(Pick(StreetName, rng)).arg(Pick(StreetKind, rng));
        v.City = place.city;
        v.State = place.state;
        v.Zip = QString::number(Between(10000, 99999, rng));
        v.Country = place.country;
        v.Phone = Phone(rng, place.areaCode);
        v.Preferred = Chance(50, rng);
        FVendors.push_back(v);
    }
}

void SampleGenerator::MakeParts()
{
    auto& rng = FTableRng;
    std::vector<std::pair<int, int>> used;
    for (int i = 0; i < PartCount; ++i) {
        int kind, model;
        do {
            kind = static_cast<int>(Below(PartKinds.size(), rng));
            model = static_cast<int>(Below(PartModels.size(), rng));
        } while (std::find(used.begin(), used.end(), std::make_pair(kind, model)) != used.end());
        used.emplace_back(kind, model);

        Part p;
        p.PartNo = 1300 + 17 * i;
        p.Description = QString("%1 %2").arg(PartModels[model].name, PartKinds[kind].name);
        p.VendorNo = FVendors[Below(VendorCount, rng)].VendorNo;
        // Prices end in .95; computed in cents so they are exact decimal amounts.
        const int cents = std::max(1, PartKinds[kind].basePrice * PartModels[model].pricePercent) - 5;
        p.ListPrice = cents / 100.0;
        p.Cost = (cents * Between(45, 70, rng) / 100) / 100.0;
        p.OnHand = Between(0, 120, rng);
        if (i % 4 == 1)  // a quarter of the parts are back-ordered
            p.OnOrder = p.OnHand + Between(1, 60, rng);
        else
            p.OnOrder = Chance(50, rng) ? 0 : Between(0, static_cast<int>(p.OnHand), rng);
        FParts.push_back(p);
    }
}

void SampleGenerator::MakeEmployees()
{
    auto& rng = FTableRng;
    for (int i = 0; i < EmployeeCount; ++i) {
        Employee e;
        e.EmpNo = 4 + 3 * i;
        e.FirstName = Pick(FirstNames, rng);
        e.LastName = Pick(LastNames, rng);
        e.PhoneExt = QString::number(Between(100, 999, rng));
        e.HireDate = AtMidnight(FToday.addYears(-Between(1, 15, rng)).addDays(-Between(0, 364, rng)));
        e.Salary = Between(2800, 7500, rng) * 10.0;
        FEmployees.push_back(e);
    }
}

void SampleGenerator::MakeCustomers()
{
    auto& rng = FTableRng;
    QStringList companies;
    for (int i = 0; i < CustomerCount; ++i) {
        QString company;
        do {
            company = QString("%1 %2").arg(Pick(CompanyFirst, rng), Pick(CompanySecond, rng));
            const QString suffix = Pick(CompanySuffix, rng);
            if (!suffix.isEmpty() && company.size() + 1 + suffix.size() <= 30)
                company += " " + suffix;
        } while (companies.contains(company));
        companies << company;

        const Place& place = Places[Below(Places.size(), rng)];
        Customer c;
        c.CustNo = 1201 + 10 * i;
        c.Company = company;
        c.Addr1 = QString("%1 %2 %3").arg(Between(1, 9900, rng)).arg(Pick(StreetName, rng)).arg(Pick(StreetKind, rng));
        if (Chance(25, rng))
            c.Addr2 = Chance(50, rng) ? QString("Suite %1").arg(Between(1, 400, rng))
                                      : QString("P.O. Box %1").arg(Between(100, 9999, rng));
        c.City = place.city;
        c.State = place.state;
        c.Zip = place.usZip ? QString::number(Between(10000, 99999, rng))
                            : QString("%1-%2").arg(Between(10, 99, rng)).arg(Between(100, 999, rng));
        c.Country = place.country;
        c.Phone = Phone(rng, place.areaCode);
        if (Chance(60, rng))
            c.FAX = Phone(rng, place.areaCode);
        c.TaxRate = place.taxRate;
        c.Contact = QString("%1 %2").arg(Pick(FirstNames, rng), Pick(LastNames, rng));
        FCustomers.push_back(c);
        // One customer in six never orders, so some have no last invoice date.
        if (!Chance(17, rng) || i == 0)
            FBuyers.push_back(i);
    }
}

bool SampleGenerator::NextOrder(Order& order)
{
    if (FOrdersDrawn >= FOrderCount)
        return false;
    auto& rng = FOrderRng;
    const std::int64_t k = FOrdersDrawn++;

    // Sale dates rise with the order number and never reach today.
    const std::int64_t span = FFirstDay.daysTo(FToday);
    const std::int64_t slot = k * 1000 + Below(1000, rng);
    const QDate saleDay = FFirstDay.addDays(slot * span / (FOrderCount * 1000));

    Customer& customer = FCustomers[FBuyers[Below(static_cast<std::uint32_t>(FBuyers.size()), rng)]];
    order = Order();
    order.OrderNo = FirstOrderNo + static_cast<double>(k);
    order.CustNo = customer.CustNo;
    order.SaleDate = AtMidnight(saleDay);
    const QDate shipDay = saleDay.addDays(Chance(80, rng) ? Between(1, 4, rng) : Between(0, 12, rng));
    if (shipDay <= FToday)
        order.ShipDate = AtMidnight(shipDay);
    order.EmpNo = FEmployees[Below(EmployeeCount, rng)].EmpNo;

    if (Chance(20, rng)) {
        const Place& place = Places[Below(Places.size(), rng)];
        order.ShipToContact = QString("%1 %2").arg(Pick(FirstNames, rng), Pick(LastNames, rng));
        order.ShipToAddr1 = QString("%1 %2 %3").arg(Between(1, 9900, rng)).arg(Pick(StreetName, rng)).arg(Pick(StreetKind, rng));
        order.ShipToCity = place.city;
        order.ShipToState = place.state;
        order.ShipToZip = place.usZip ? QString::number(Between(10000, 99999, rng)) : QString();
        order.ShipToCountry = place.country;
        order.ShipToPhone = Phone(rng, place.areaCode);
    }
    order.ShipVIA = Pick(ShipVias, rng);
    if (Chance(40, rng))
        order.PO = QString("PO-%1").arg(Between(10000, 99999, rng));
    order.Terms = Pick(TermsList, rng);
    order.PaymentMethod = Pick(PaymentMethods, rng);
    order.TaxRate = customer.TaxRate;
    order.Freight = Chance(30, rng) ? 0.0 : Between(500, 15000, rng) / 100.0;

    const int lineCount = Between(1, MaxLinesPerOrder, rng);
    std::vector<int> partsUsed;
    long double total = 0;
    for (int line = 1; line <= lineCount; ++line) {
        int partIndex;
        do {
            partIndex = static_cast<int>(Below(PartCount, rng));
        } while (std::find(partsUsed.begin(), partsUsed.end(), partIndex) != partsUsed.end());
        partsUsed.push_back(partIndex);

        Item item;
        item.OrderNo = order.OrderNo;
        item.ItemNo = line;
        item.PartNo = FParts[partIndex].PartNo;
        item.Qty = Chance(70, rng) ? Between(1, 5, rng) : Between(6, 30, rng);
        item.Discount = Chance(75, rng) ? 0 : Pick(Discounts, rng);
        total += ExtPrice(item.Qty, FParts[partIndex].ListPrice, item.Discount);
        order.Items.push_back(item);
    }
    order.ItemsTotal = static_cast<double>(total);

    // Older shipped orders are mostly paid; recent ones often not yet.
    const double due = AmountDue(order.ItemsTotal, order.TaxRate, order.Freight, 0);
    const double half = static_cast<double>(static_cast<long long>(due * 50)) / 100.0;
    const bool old = saleDay.daysTo(FToday) > 60 && order.ShipDate.isValid();
    if (Chance(old ? 92 : 45, rng))
        order.AmountPaid = due;
    else
        order.AmountPaid = Chance(40, rng) ? half : 0.0;

    if (order.ShipDate.isValid()
        && (!customer.LastInvoiceDate.isValid() || order.ShipDate > customer.LastInvoiceDate))
        customer.LastInvoiceDate = order.ShipDate;
    return true;
}

double SampleGenerator::NextOrderNo() const
{
    return FirstOrderNo + static_cast<double>(FOrdersDrawn);
}

double SampleGenerator::NextCustNo() const
{
    return FCustomers.back().CustNo + 1;
}

}  // namespace vorndata
