# Runs pnt-lookup over the embedded data set and compares its lines with the expected ones.
function(check args input expected)
  file(WRITE "${CMAKE_CURRENT_BINARY_DIR}/lookup_input.txt" "${input}")
  execute_process(COMMAND "${TOOL}" ${args} INPUT_FILE "${CMAKE_CURRENT_BINARY_DIR}/lookup_input.txt"
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0 OR NOT out STREQUAL expected)
    message(FATAL_ERROR "pnt-lookup ${args}: status ${status}\nstdout:\n${out}\nexpected:\n${expected}\nstderr:\n${err}")
  endif()
endfunction()

# A headword; a form; compounds with an inflected last part, a clitic, capitals and a hyphen;
# a word that is no key but a prefix of rows ("talo " with its space); garbage.
check("" "talo\ntaloissa\nkuvaikkunassa\ntalossakin\nOnko\nKUVAUS\ndialogi-ikkunan\ntalo \nxyzzyq\n"
"talo\theadword\ttalo
taloissa\tform\ttalo
kuvaikkunassa\tanalysis\tkuva=kuva\tikkunassa=ikkuna
talossakin\tanalysis\ttalossa=talo\tkin=
Onko\tanalysis\tOn=olla|on\tko=
KUVAUS\tanalysis\tKUVAUS=kuvaus
dialogi-ikkunan\tanalysis\tdialogi-=dialogi\tikkunan=ikkuna
talo \tnone
xyzzyq\tnone
")

# English: a key, the same with a capital (found lower-cased), garbage.
check("--english" "forest\nForest\nxyzzyq\n"
"forest\tenglish\tmetsä\tsalo\tkorpi\tselkonen
Forest\tenglish\tmetsä\tsalo\tkorpi\tselkonen
xyzzyq\tnone
")

# Entries: a headword's meanings one per line; a form that is no headword has none.
check("--entry" "omena\ntaloissa\n"
"omena\tnoun\tapple
taloissa\tnone
")
