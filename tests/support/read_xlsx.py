#!/usr/bin/python3
# Prints the first sheet of a workbook as another program reads it (openpyxl, a second reader of
# the format): one line per cell that holds something, "row<TAB>column<TAB>kind<TAB>value<TAB>
# number format" with kind n (number), d (date) or s (text); then the frozen pane's top-left cell.
import sys

import openpyxl

book = openpyxl.load_workbook(sys.argv[1])
sheet = book.worksheets[0]
for row in sheet.iter_rows():
    for cell in row:
        value = cell.value
        if value is None:
            continue
        if hasattr(value, "year"):
            kind, text = "d", value.strftime("%Y-%m-%d")
        elif isinstance(value, (int, float)) and not isinstance(value, bool):
            kind, text = "n", repr(float(value))
        else:
            kind, text = "s", str(value).replace("\t", " ").replace("\n", " ")
        print(f"{cell.row}\t{cell.column}\t{kind}\t{text}\t{cell.number_format}")
print(f"frozen\t{sheet.freeze_panes}")
