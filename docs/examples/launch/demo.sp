app.mode=demo
app.user.dir=#APP_USER_DIR#
