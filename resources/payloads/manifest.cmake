# The files the setup program carries, in the order of the payload table:
# resource name, the file it is packed from, and its time stamp (UTC).
# The product's own files are not ours to ship: these are honest stand-ins
# under the same names, with the product's time stamps.
payload(QRV.EXE       "$<TARGET_FILE:qrv_standin>"              "2022-11-30 18:49:42")
payload(QRV.HLP       "${CMAKE_CURRENT_LIST_DIR}/QRV.HLP"       "2020-01-24 15:27:22")
payload(DOCREADER.EXE "$<TARGET_FILE:docreader_standin>"        "2003-06-19 20:05:04")
payload(HELP.QRD      "${CMAKE_CURRENT_LIST_DIR}/HELP.QRD"      "2019-07-19 16:03:16")
payload(SHAPES.QRD    "${CMAKE_CURRENT_LIST_DIR}/SHAPES.QRD"    "2013-05-13 15:27:48")
