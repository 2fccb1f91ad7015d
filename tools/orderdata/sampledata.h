// Fictional sample data for the order database, drawn from a fixed seed.
//
// Same seed, same reference day and same order count give the same rows on every
// machine: the random numbers come from std::mt19937, whose sequence the language
// fixes, and every distribution is written out here instead of taken from the
// standard library, whose distributions may differ between library versions.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariantList>

#include <cstdint>
#include <random>
#include <vector>

namespace vorndata {

inline constexpr std::uint32_t DefaultSeed = 19991231;

struct Customer {
    double CustNo = 0;
    QString Company, Addr1, Addr2, City, State, Zip, Country, Phone, FAX;
    double TaxRate = 0;
    QString Contact;
    QDateTime LastInvoiceDate;  // null until an order of this customer ships
};

struct Vendor {
    double VendorNo = 0;
    QString VendorName, Address1, City, State, Zip, Country, Phone;
    bool Preferred = false;
};

struct Part {
    double PartNo = 0;
    QString Description;
    double VendorNo = 0, OnHand = 0, OnOrder = 0, Cost = 0, ListPrice = 0;
};

struct Employee {
    int EmpNo = 0;
    QString LastName, FirstName, PhoneExt;
    QDateTime HireDate;
    double Salary = 0;
};

struct Item {
    double OrderNo = 0, ItemNo = 0, PartNo = 0;
    int Qty = 0;
    double Discount = 0;
};

struct Order {
    double OrderNo = 0, CustNo = 0;
    QDateTime SaleDate, ShipDate;  // ShipDate null: not shipped yet
    int EmpNo = 0;
    QString ShipToContact, ShipToAddr1, ShipToAddr2, ShipToCity, ShipToState, ShipToZip,
        ShipToCountry, ShipToPhone, ShipVIA, PO, Terms, PaymentMethod;
    double ItemsTotal = 0, TaxRate = 0, Freight = 0, AmountPaid = 0;
    std::vector<Item> Items;
};

// A line's extended price and an order's amount due, computed as the order-entry
// rules compute them, so stored totals match what the program shows.
double ExtPrice(int qty, double sellPrice, double discount);
double AmountDue(double itemsTotal, double taxRate, double freight, double amountPaid);

// Rows in the column order of the table definitions (schema.h).
QVariantList Row(const Customer& c);
QVariantList Row(const Vendor& v);
QVariantList Row(const Part& p);
QVariantList Row(const Employee& e);
QVariantList Row(const Order& o);
QVariantList Row(const Item& i);

// Draws the small tables at construction and the orders one at a time, so a
// million orders never sit in memory together.
class SampleGenerator {
public:
    static constexpr int CustomerCount = 60;
    static constexpr int VendorCount = 8;
    static constexpr int PartCount = 40;
    static constexpr int EmployeeCount = 12;
    static constexpr int MaxLinesPerOrder = 6;
    static constexpr double FirstOrderNo = 1001;

    // Orders fall in the three years before `today`.
    SampleGenerator(std::uint32_t seed, QDate today, std::int64_t orderCount);

    const std::vector<Vendor>& Vendors() const { return FVendors; }
    const std::vector<Part>& Parts() const { return FParts; }
    const std::vector<Employee>& Employees() const { return FEmployees; }
    // LastInvoiceDate is final only once every order has been drawn.
    const std::vector<Customer>& Customers() const { return FCustomers; }

    std::int64_t OrderCount() const { return FOrderCount; }
    std::int64_t OrdersDrawn() const { return FOrdersDrawn; }
    // Fills `order` with the next order and its lines; false when all are drawn.
    bool NextOrder(Order& order);

    double NextOrderNo() const;  // above every order number handed out
    double NextCustNo() const;   // above every customer number

private:
    std::uint32_t Below(std::uint32_t bound, std::mt19937& rng);
    int Between(int low, int high, std::mt19937& rng);  // inclusive
    bool Chance(int percent, std::mt19937& rng);
    template <typename List>
    const auto& Pick(const List& list, std::mt19937& rng)
    {
        return list[Below(static_cast<std::uint32_t>(std::size(list)), rng)];
    }
    QString Phone(std::mt19937& rng, const QString& areaCode);

    void MakeVendors();
    void MakeParts();
    void MakeEmployees();
    void MakeCustomers();

    std::mt19937 FTableRng;  // small tables; independent of the order count
    std::mt19937 FOrderRng;
    QDate FToday;
    QDate FFirstDay;
    std::int64_t FOrderCount;
    std::int64_t FOrdersDrawn = 0;
    std::vector<Vendor> FVendors;
    std::vector<Part> FParts;
    std::vector<Employee> FEmployees;
    std::vector<Customer> FCustomers;
    std::vector<int> FBuyers;  // indexes of customers who place orders
};

}  // namespace vorndata
