DESC: Sample Application: the first colon ends the name
Display Name : spaces around the colon are dropped
PADDED: "  kept as written  "
QUOTES: "say ""hello"""
EMPTY: ""
#NOT A COMMENT: names may start with #
LIST:

  first value
  "  second, with its blanks  "
  NOT A TAG: lines inside a list are values
  ""
/:
REPLACED: old value
REPLACED: new value
