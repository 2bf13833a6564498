# The "Factory Test" page, offscreen, with a recording stand-in for the frame's SendLine.
tb_add_qtest(devicetest_page_test
    SOURCES PageTest.cpp
    LIBS tb_devicetest_page tb_app
    LABELS devicetest)
