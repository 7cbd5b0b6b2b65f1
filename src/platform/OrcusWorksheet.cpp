#include "platform/OrcusWorksheet.h"

#include "platform/AppError.h"

#include <QDateTime>
#include <QHash>
#include <QRegularExpression>

#include <ixion/address.hpp>
#include <ixion/cell_access.hpp>
#include <ixion/model_context.hpp>
#include <orcus/orcus_ods.hpp>
#include <orcus/orcus_xlsx.hpp>
#include <orcus/spreadsheet/document.hpp>
#include <orcus/spreadsheet/factory.hpp>
#include <orcus/spreadsheet/sheet.hpp>
#include <orcus/spreadsheet/styles.hpp>

#include <cmath>
#include <map>

namespace ss = orcus::spreadsheet;

namespace {

const QString kSource = QStringLiteral("Workbook reader");

quint64 cellKey(int row, int column) { return (quint64(quint32(row)) << 32) | quint32(column); }

// Passes every call to the model's sheet and notes the cells the file types as dates
// (the model keeps them as plain numbers).
class DateNotingSheet : public ss::iface::import_sheet {
public:
    DateNotingSheet(ss::iface::import_sheet* sheet, QSet<quint64>* dates) : m_sheet(sheet), m_dates(dates) {}

    ss::iface::import_sheet_view* get_sheet_view() override { return m_sheet->get_sheet_view(); }
    ss::iface::import_sheet_properties* get_sheet_properties() override { return m_sheet->get_sheet_properties(); }
    ss::iface::import_data_table* get_data_table() override { return m_sheet->get_data_table(); }
    ss::iface::import_auto_filter* get_auto_filter() override { return m_sheet->get_auto_filter(); }
    ss::iface::import_table* get_table() override { return m_sheet->get_table(); }
    ss::iface::import_conditional_format* get_conditional_format() override { return m_sheet->get_conditional_format(); }
    ss::iface::import_named_expression* get_named_expression() override { return m_sheet->get_named_expression(); }
    ss::iface::import_array_formula* get_array_formula() override { return m_sheet->get_array_formula(); }
    ss::iface::import_formula* get_formula() override { return m_sheet->get_formula(); }
    void set_auto(ss::row_t row, ss::col_t col, std::string_view s) override { m_sheet->set_auto(row, col, s); }
    void set_string(ss::row_t row, ss::col_t col, ss::string_id_t sindex) override { m_sheet->set_string(row, col, sindex); }
    void set_value(ss::row_t row, ss::col_t col, double value) override { m_sheet->set_value(row, col, value); }
    void set_bool(ss::row_t row, ss::col_t col, bool value) override { m_sheet->set_bool(row, col, value); }
    void set_date_time(ss::row_t row, ss::col_t col, int year, int month, int day, int hour, int minute,
                       double second) override
    {
        m_sheet->set_date_time(row, col, year, month, day, hour, minute, second);
        if (m_dates)
            m_dates->insert(cellKey(row, col));
    }
    void set_format(ss::row_t row, ss::col_t col, size_t xf) override { m_sheet->set_format(row, col, xf); }
    void set_format(ss::row_t r0, ss::col_t c0, ss::row_t r1, ss::col_t c1, size_t xf) override
    {
        m_sheet->set_format(r0, c0, r1, c1, xf);
    }
    void fill_down_cells(ss::row_t row, ss::col_t col, ss::row_t size) override { m_sheet->fill_down_cells(row, col, size); }
    ss::range_size_t get_sheet_size() const override { return m_sheet->get_sheet_size(); }

private:
    ss::iface::import_sheet* m_sheet;
    QSet<quint64>* m_dates;
};

// The model's import factory, with the sheet of the wanted name wrapped by DateNotingSheet.
class NotingFactory : public ss::iface::import_factory {
public:
    NotingFactory(ss::document& doc, const QString& sheetName, QSet<quint64>* dates)
        : m_factory(doc), m_sheetName(sheetName), m_dates(dates) {}

    ss::iface::import_global_settings* get_global_settings() override { return m_factory.get_global_settings(); }
    ss::iface::import_shared_strings* get_shared_strings() override { return m_factory.get_shared_strings(); }
    ss::iface::import_named_expression* get_named_expression() override { return m_factory.get_named_expression(); }
    ss::iface::import_styles* get_styles() override { return m_factory.get_styles(); }
    ss::iface::import_reference_resolver* get_reference_resolver(ss::formula_ref_context_t cxt) override
    {
        return m_factory.get_reference_resolver(cxt);
    }
    ss::iface::import_pivot_cache_definition* create_pivot_cache_definition(ss::pivot_cache_id_t id) override
    {
        return m_factory.create_pivot_cache_definition(id);
    }
    ss::iface::import_pivot_cache_records* create_pivot_cache_records(ss::pivot_cache_id_t id) override
    {
        return m_factory.create_pivot_cache_records(id);
    }
    ss::iface::import_sheet* append_sheet(ss::sheet_t index, std::string_view name) override
    {
        const bool wanted = QString::fromUtf8(name.data(), qsizetype(name.size())).compare(m_sheetName, Qt::CaseInsensitive) == 0;
        return wrap(m_factory.append_sheet(index, name), wanted);
    }
    ss::iface::import_sheet* get_sheet(std::string_view name) override { return wrap(m_factory.get_sheet(name), false); }
    ss::iface::import_sheet* get_sheet(ss::sheet_t index) override { return wrap(m_factory.get_sheet(index), false); }
    void finalize() override { m_factory.finalize(); }

private:
    ss::iface::import_sheet* wrap(ss::iface::import_sheet* sheet, bool wanted)
    {
        if (!sheet)
            return nullptr;
        auto it = m_wrappers.find(sheet);
        if (it == m_wrappers.end())
            it = m_wrappers.emplace(sheet, std::make_unique<DateNotingSheet>(sheet, wanted ? m_dates : nullptr)).first;
        return it->second.get();
    }

    ss::import_factory m_factory;
    QString m_sheetName;
    QSet<quint64>* m_dates;
    std::map<ss::iface::import_sheet*, std::unique_ptr<DateNotingSheet>> m_wrappers;
};

// Number format ids that the xlsx format reserves for dates and times of day.
bool isBuiltInDateFormat(size_t id) { return (id >= 14 && id <= 22) || (id >= 45 && id <= 47) || (id >= 27 && id <= 36) || (id >= 50 && id <= 58); }

}

OrcusWorksheet::OrcusWorksheet(const QString& path, Format format, const QString& sheetName)
{
    m_document = std::make_unique<ss::document>(ss::range_size_t{1048576, 16384});
    try {
        NotingFactory factory(*m_document, sheetName, &m_dateCells);
        const std::string file = path.toStdString();
        switch (format) {
        case Format::Xlsx: {
            orcus::orcus_xlsx loader(&factory);
            loader.read_file(file);
            break;
        }
        case Format::Ods: {
            orcus::orcus_ods loader(&factory);
            loader.read_file(file);
            break;
        }
        }
    } catch (const std::exception& e) {
        throw AppError(WorkbookErrors::InvalidFile, kSource,
                       QStringLiteral("%1 cannot be read as a workbook: %2").arg(path, QString::fromLocal8Bit(e.what())));
    }
    for (size_t i = 0; i < m_document->get_sheet_count() && !m_sheet; ++i) {
        const std::string_view name = m_document->get_sheet_name(ss::sheet_t(i));
        if (QString::fromUtf8(name.data(), qsizetype(name.size())).compare(sheetName, Qt::CaseInsensitive) == 0)
            m_sheet = m_document->get_sheet(ss::sheet_t(i));
    }
    if (!m_sheet)
        throw AppError(WorkbookErrors::InvalidFile, kSource,
                       QStringLiteral("%1 has no worksheet named %2.").arg(path, sheetName));
    m_sheetIndex = int(m_sheet->get_index());
    const ixion::abs_range_t range = m_sheet->get_data_range();
    if (range.valid() && range.last.row >= range.first.row) {
        m_firstRow = range.first.row;
        m_firstColumn = range.first.column;
        m_rows = range.last.row - range.first.row + 1;
        m_columns = range.last.column - range.first.column + 1;
    }
}

OrcusWorksheet::~OrcusWorksheet() = default;

bool OrcusWorksheet::isDateFormatCode(const QString& code)
{
    // Quoted texts, escaped characters and [colour]/[locale] sections say nothing of dates.
    static const QRegularExpression noise(QStringLiteral(R"("[^"]*"|\\.|\[[^\]]*\])"));
    QString bare = code;
    bare.remove(noise);
    bare = bare.toLower();
    if (bare.contains(QLatin1Char('d')) || bare.contains(QLatin1Char('y')))
        return true;
    // "m" alone is a month; beside hours or seconds it is minutes.
    return bare.contains(QLatin1Char('m')) && !bare.contains(QLatin1Char('h')) && !bare.contains(QLatin1Char('s'));
}

bool OrcusWorksheet::shownAsDate(int row, int column) const
{
    const size_t xf = m_sheet->get_cell_format(row, column);
    const auto known = m_dateFormats.constFind(xf);
    if (known != m_dateFormats.constEnd())
        return *known;
    bool date = false;
    const ss::styles& styles = m_document->get_styles();
    if (const ss::cell_format_t* format = styles.get_cell_format(xf)) {
        // The cell format names its number format by id; built-in ids have no stored code.
        const size_t id = format->number_format;
        date = isBuiltInDateFormat(id);
        for (size_t i = 0; i < styles.get_number_format_count() && !date; ++i) {
            const ss::number_format_t* nf = styles.get_number_format(i);
            if (nf && nf->identifier == id && !nf->format_string.empty())
                date = isDateFormatCode(QString::fromUtf8(nf->format_string.data(), qsizetype(nf->format_string.size())));
        }
    }
    m_dateFormats.insert(xf, date);
    return date;
}

QVariant OrcusWorksheet::cell(int row, int column) const
{
    const int r = m_firstRow + row, c = m_firstColumn + column;
    const ixion::model_context& model = m_document->get_model_context();
    const ixion::cell_access access = model.get_cell_access(ixion::abs_address_t(m_sheetIndex, r, c));
    switch (access.get_value_type()) {
    case ixion::cell_value_t::string: {
        const std::string_view s = access.get_string_value();
        return QString::fromUtf8(s.data(), qsizetype(s.size()));
    }
    case ixion::cell_value_t::boolean:
        return access.get_boolean_value() ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    case ixion::cell_value_t::numeric: {
        const double number = access.get_numeric_value();
        if (!m_dateCells.contains(cellKey(r, c)) && !shownAsDate(r, c))
            return number;
        const orcus::date_time_t origin = m_document->get_origin_date();
        const double days = std::floor(number);
        const QDate date = QDate(origin.year, origin.month, origin.day).addDays(qint64(days));
        const int seconds = int(std::lround((number - days) * 86400.0));
        if (seconds == 0)
            return date;
        return QDateTime(date, QTime(0, 0).addSecs(seconds));
    }
    default:
        return {};
    }
}
