#!/usr/bin/env python3
"""Writes the add-in's interface (IDL) and its function descriptions
(CalcAddIns.xcu) from the table in functions.py.

    generate.py idl OUT.idl
    generate.py xcu OUT.xcu

Every argument is an `any`: a number, a text, or the values of a range (an
array formula computes the whole range at once). A function answers an
array: of one cell for single values, which Calc shows as that value.
"""
import os
import sys
from xml.sax.saxutils import escape, quoteattr

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import functions  # noqa: E402  (beside this script)

ILLEGAL_ARGUMENT = "com::sun::star::lang::IllegalArgumentException"


def idl():
    opening = " ".join(f"module {name} {{" for name in functions.MODULE)
    closing = " ".join("};" for _ in functions.MODULE)
    lines = ["// Written by generate.py from functions.py.",
             "#include <com/sun/star/uno/XInterface.idl>",
             "#include <com/sun/star/lang/IllegalArgumentException.idl>",
             "", opening, "",
             f"interface {functions.INTERFACE} : com::sun::star::uno::XInterface", "{"]
    for function in functions.FUNCTIONS:
        arguments = ", ".join(f"[in] any {argument.name}" for argument in function.arguments)
        answer = "string" if function.kind == "version" else "sequence< sequence< any > >"
        lines.append(f"    {answer} {function.method}({arguments}) raises ({ILLEGAL_ARGUMENT});")
    lines += ["};", "", closing, ""]
    return "\n".join(lines)


def _values(name, text, indent):
    values = "".join(f"<value xml:lang=\"{lang}\">{escape(getattr(text, lang))}</value>" for lang in ("en", "ru"))
    return f"{indent}<prop oor:name=\"{name}\">{values}</prop>"


def xcu():
    lines = ['<?xml version="1.0" encoding="UTF-8"?>',
             "<!-- Written by generate.py from functions.py. -->",
             '<oor:component-data xmlns:oor="http://openoffice.org/2001/registry"'
             ' xmlns:xs="http://www.w3.org/2001/XMLSchema" oor:name="CalcAddIns" oor:package="org.openoffice.Office">',
             ' <node oor:name="AddInInfo">',
             f"  <node oor:name={quoteattr(functions.SERVICE)} oor:op=\"replace\">",
             '   <node oor:name="AddInFunctions">']
    for function in functions.FUNCTIONS:
        name = functions.Text(function.display, function.display)
        lines += [f"    <node oor:name=\"{function.method}\" oor:op=\"replace\">",
                  _values("DisplayName", name, "     "),
                  _values("Description", function.description, "     "),
                  '     <prop oor:name="Category"><value>Add-In</value></prop>',
                  f"     <prop oor:name=\"CompatibilityName\"><value xml:lang=\"en\">{function.display}</value></prop>",
                  '     <node oor:name="Parameters">']
        for argument in function.arguments:
            lines += [f"      <node oor:name=\"{argument.name}\" oor:op=\"replace\">",
                      _values("DisplayName", argument.display, "       "),
                      _values("Description", argument.description, "       "),
                      "      </node>"]
        lines += ["     </node>", "    </node>"]
    lines += ["   </node>", "  </node>", " </node>", "</oor:component-data>", ""]
    return "\n".join(lines)


def main(argv):
    if len(argv) != 3 or argv[1] not in ("idl", "xcu"):
        print("usage: generate.py idl|xcu OUTPUT", file=sys.stderr)
        return 2
    text = idl() if argv[1] == "idl" else xcu()
    try:
        with open(argv[2], "w", encoding="utf-8") as out:
            out.write(text)
    except OSError as error:
        print(f"generate.py: cannot write {argv[2]}: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
