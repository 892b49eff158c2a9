"""The spreadsheet functions of the elprops Calc add-in, as one table.

Both the build (which writes the interface's IDL and the function wizard's
texts, CalcAddIns.xcu) and the add-in itself (which dispatches the calls)
read this table, so a property the Python module gains is one row of
PROPERTIES here: its field of elprops.compute's result, the Calc name, the
unit and the wizard's texts in English and Russian.

This module imports nothing of UNO nor of elprops: the build runs it with
any Python 3.
"""
import collections

# Where the add-in is registered: the interface the IDL declares and the
# service Calc creates (its implementation has the same name).
MODULE = ("org", "elprops", "calc")
INTERFACE = "XElprops"
SERVICE = "org.elprops.calc.ElpropsAddIn"

Text = collections.namedtuple("Text", "en ru")
Argument = collections.namedtuple("Argument", "name display description optional")
Function = collections.namedtuple("Function", "method display description arguments kind field")

# The arguments, named in the wizard with their units.
SUBSTANCE = Argument("substance", Text("substance", "вещество"), Text(
    "Formula (\"NaCl\"), English name or index 1 to 19 (19 is water); a range computes each cell",
    "Формула (\"NaCl\"), английское название или номер от 1 до 19 (19 — вода); диапазон считает каждую ячейку"),
    False)
CONCENTRATION = Argument("concentration", Text("concentration kg/kg", "концентрация кг/кг"), Text(
    "Mass fraction of the salt, kg/kg (0 for water), or the concentration in the unit given last; a range computes each cell",
    "Массовая доля соли, кг/кг (0 для воды), или концентрация в единице последнего аргумента; диапазон считает каждую ячейку"),
    False)
TEMPERATURE = Argument("temperature", Text("temperature °C", "температура °C"), Text(
    "Temperature, degrees Celsius; a range computes each cell",
    "Температура, °C; диапазон считает каждую ячейку"),
    False)
UNIT = Argument("unit", Text("unit", "единица"), Text(
    "Unit of the concentration: \"fraction\" (kg/kg, the default), \"percent\", \"molality\" (mol/kg water), "
    "\"molarity\" (mol/L) or \"g/L\"",
    "Единица концентрации: \"fraction\" (кг/кг, по умолчанию), \"percent\" (%), \"molality\" (моль/кг воды), "
    "\"molarity\" (моль/л) или \"g/L\" (г/л)"),
    True)
POINT = (SUBSTANCE, CONCENTRATION, TEMPERATURE, UNIT)

REFERENCE = Argument("reference", Text("reference °C", "опорная °C"), Text(
    "Temperature the heat is counted from, °C; 20 when left out",
    "Температура, от которой считается теплота, °C; 20, если не задана"), True)

# The quantities: the field of the module's result (elprops.compute's for
# the five properties, elprops.compute_derived's for the derived ones), the
# Calc name's ending, the unit, what it is, and the arguments.
Property = collections.namedtuple("Property", "field name unit what derived arguments",
                                  defaults=(False, POINT))
PROPERTIES = (
    Property("density", "DENSITY", Text("kg/m3", "кг/м3"), Text("density", "плотность")),
    Property("viscosity", "VISCOSITY", Text("Pa*s", "Па·с"), Text("dynamic viscosity", "динамическая вязкость")),
    Property("surface_tension", "SURFACE_TENSION", Text("N/m", "Н/м"),
             Text("surface tension", "поверхностное натяжение")),
    Property("heat_capacity", "HEAT_CAPACITY", Text("J/(kg*K)", "Дж/(кг·К)"),
             Text("specific heat capacity", "удельная теплоёмкость")),
    Property("thermal_conductivity", "THERMAL_CONDUCTIVITY", Text("W/(m*K)", "Вт/(м·К)"),
             Text("thermal conductivity", "теплопроводность")),
    Property("kinematic_viscosity", "KINEMATIC_VISCOSITY", Text("m2/s", "м2/с"),
             Text("kinematic viscosity ν = μ/ρ", "кинематическая вязкость ν = μ/ρ"), True),
    Property("thermal_diffusivity", "THERMAL_DIFFUSIVITY", Text("m2/s", "м2/с"),
             Text("thermal diffusivity a = λ/(ρ·cp)", "температуропроводность a = λ/(ρ·cp)"), True),
    Property("prandtl_number", "PRANDTL_NUMBER", Text("dimensionless", "безразмерное"),
             Text("Prandtl number Pr = μ·cp/λ", "число Прандтля Pr = μ·cp/λ"), True),
    Property("specific_volume", "SPECIFIC_VOLUME", Text("m3/kg", "м3/кг"),
             Text("specific volume v = 1/ρ", "удельный объём v = 1/ρ"), True),
    Property("volumetric_heat_capacity", "VOLUMETRIC_HEAT_CAPACITY", Text("J/(m3*K)", "Дж/(м3·К)"),
             Text("volumetric heat capacity ρ·cp", "объёмная теплоёмкость ρ·cp"), True),
    Property("thermal_expansion", "THERMAL_EXPANSION", Text("1/K", "1/К"),
             Text("thermal expansion coefficient β = −(1/ρ)(∂ρ/∂T)",
                  "коэффициент объёмного расширения β = −(1/ρ)(∂ρ/∂T)"), True),
    Property("heat_taken_up", "HEAT_TAKEN_UP", Text("J/kg", "Дж/кг"),
             Text("heat taken up from the reference temperature, ∫cp dT",
                  "теплота, поглощённая от опорной температуры, ∫cp dT"), True, POINT + (REFERENCE,)),
)


def _method(name):
    """The interface's method for a Calc name: DENSITY -> getDensity."""
    return "get" + "".join(word.capitalize() for word in name.split("_"))


def _property_function(prop):
    return Function(_method(prop.name), "ELPROPS_" + prop.name, Text(
        f"The {prop.what.en} of the solution, {prop.unit.en}. A point that cannot be computed is an error "
        "(ELPROPS_ERROR says why).",
        f"{prop.what.ru[0].upper() + prop.what.ru[1:]} раствора, {prop.unit.ru}. Точка, которую нельзя рассчитать, "
        "— ошибка (причину называет ELPROPS_ERROR)."), prop.arguments, "derived" if prop.derived else "property",
        prop.field)


SOLVE = Function(_method("CONCENTRATION"), "ELPROPS_SOLVE", Text(
    "The concentration (in the unit, by default kg/kg) at which a property of the salt solution has the value: "
    "the mass fraction whose computed property is nearest to it; where the property turns, the lowest such root. "
    "An error when no admissible concentration reaches the value.",
    "Концентрация (в заданной единице, по умолчанию кг/кг), при которой свойство раствора соли равно значению: "
    "массовая доля, рассчитанное свойство которой ближе всего к нему; где свойство не монотонно — наименьший "
    "корень. Ошибка, если значение недостижимо."), (
    Argument("substance", Text("salt", "соль"), Text(
        "Formula (\"NaCl\"), English name or index 1 to 18",
        "Формула (\"NaCl\"), английское название или номер от 1 до 18"), False),
    Argument("quantity", Text("property", "свойство"), Text(
        "\"density\", \"viscosity\", \"surface_tension\", \"heat_capacity\", \"thermal_conductivity\" or a derived "
        "quantity (\"prandtl_number\", \"kinematic_viscosity\", ...)",
        "\"density\", \"viscosity\", \"surface_tension\", \"heat_capacity\", \"thermal_conductivity\" или производная "
        "величина (\"prandtl_number\", \"kinematic_viscosity\", ...)"), False),
    Argument("value", Text("value SI", "значение СИ"), Text(
        "The value in the quantity's SI unit (kg/m3, Pa*s, N/m, J/(kg*K), W/(m*K), ...); a range solves each cell",
        "Значение в единице СИ величины (кг/м3, Па·с, Н/м, Дж/(кг·К), Вт/(м·К), ...); диапазон решает каждую "
        "ячейку"), False),
    TEMPERATURE,
    Argument("unit", Text("unit", "единица"), Text(
        "Unit of the answer: \"fraction\" (kg/kg, the default), \"percent\", \"molality\", \"molarity\" or \"g/L\"",
        "Единица ответа: \"fraction\" (кг/кг, по умолчанию), \"percent\", \"molality\", \"molarity\" или \"g/L\""),
        True)), "solve", None)

FUNCTIONS = tuple(_property_function(prop) for prop in PROPERTIES) + (
    Function(_method("WARNING"), "ELPROPS_WARNING", Text(
        "The warnings of the point as text (above the solubility, above 100 °C, ...), empty when there are none.",
        "Предупреждения для точки текстом (выше растворимости, выше 100 °C, ...), пусто, если их нет."),
        POINT, "warning", None),
    Function(_method("ERROR"), "ELPROPS_ERROR", Text(
        "Why the point cannot be computed, as text; empty when it can.",
        "Почему точку нельзя рассчитать, текстом; пусто, если можно."), POINT, "error", None),
    SOLVE,
    Function(_method("VERSION"), "ELPROPS_VERSION", Text(
        "The version of the elprops library the add-in computes with.",
        "Версия библиотеки elprops, которой считает надстройка."), (), "version", None),
)
